#pragma once

// Registers the compiled-in images under ":/res/". They live in a static
// library, which the linker would otherwise leave out of the program;
// every window that shows them calls this first; only the first call
// registers them.
void initResources();

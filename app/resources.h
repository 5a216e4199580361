#pragma once

// Registers the compiled-in images under ":/res/". They live in a static
// library, which the linker would otherwise leave out of the program;
// every window that shows them calls this first; only the first call
// registers them.
void initResources();

class QIcon;

// The logo as the tray and the "Enabled" entry show it: the 512 px picture
// kept only at the few sizes trays and menus ask for, not as a megabyte per
// icon.
QIcon logoIcon();

#pragma once

class QIcon;

// Registers the compiled-in images under ":/res/". They live in a static
// library, which the linker would otherwise leave out of the program;
// every window that shows them calls this first; only the first call
// registers them.
void initResources();

// The logo at the few small sizes menus and most trays ask for, each drawn
// for its size, rather than the 512 px picture scaled at every start; window
// icons stay so, since X11 sends every size an icon holds to the server.
QIcon logoIcon();
// The same with 128 and 256 px: HiDPI trays ask for more than 64 px.
QIcon trayLogoIcon();

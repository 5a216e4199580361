#pragma once

// Registers the compiled-in images under ":/res/". They live in a static
// library, which the linker would otherwise leave out of the program;
// every window that shows them calls this first; only the first call
// registers them.
void initResources();

class QIcon;

// The logo at the few small sizes menus and most trays ask for, each drawn
// for its size, rather than the 512 px picture scaled at every start; window
// icons stay so, since X11 sends every size an icon holds to the server.
QIcon logoIcon();
// `logo` with the 512 px picture itself added, read only when asked for:
// HiDPI trays want more than 64 px.
QIcon withFullLogo(QIcon logo);

#pragma once

#include <QSize>

class QIcon;
class QImage;
class QString;

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

// A picture file, read no larger than `drawn` (any size when invalid) and
// by the reader its name's suffix names where that one can read it. None
// when it cannot be read, or when it is too large to decode for an icon.
QImage readPicture(const QString &file, const QSize &drawn = QSize());

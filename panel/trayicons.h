#pragma once

#include <QIcon>

// The logo as the tray and the "Enabled" entry show it: the 512 px picture
// kept only at the few sizes trays and menus ask for, not as a megabyte
// per icon.
QIcon logoIcon();

#pragma once

#include <QString>

// The file of the icon `name` in the desktop's icon theme, as Qt's theme
// lookup finds it but without reading the picture: the theme Qt uses, the
// themes it inherits, then hicolor, in each the folder whose size is
// nearest `side`; else a picture of that name among the icons of no theme
// (/usr/share/pixmaps). Empty when there is none.
QString themeIconFile(const QString &name, int side);

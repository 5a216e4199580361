#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the panel opens for a pointer at `pointer`: its top-left corner at
// the pointer, pulled back inside `area` (the available geometry of the
// screen holding the pointer) so that it is always fully visible there.
QPoint panelTopLeft(const QPoint &pointer, const QSize &size, const QRect &area);

// The available geometry of the screen that holds `pointer` (the primary
// screen's when no screen does).
QRect availableAreaAt(const QPoint &pointer);

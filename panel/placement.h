#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

// One screen as Qt shows it to the program: its geometry and the part of it
// free of panels and docks, both in logical pixels, and how many device
// pixels make one logical pixel there. Qt keeps a screen's top-left corner
// where the system puts it and scales only its size, so a screen covers
// `geometry.topLeft()` .. + `geometry.size() * ratio` in device pixels.
struct ScreenArea {
    QRect geometry;
    QRect available;
    qreal ratio = 1;
};

// The logical position of a pointer at `devicePointer` (device pixels, as
// the system reports it), on the screen that holds it; the first screen
// stands in when none does. `screen`, when given, gets that screen's index.
QPoint logicalPointer(const QPoint &devicePointer, const QVector<ScreenArea> &screens, int *screen = nullptr);

// Where the panel opens for a pointer at `devicePointer`: its top-left
// corner at the pointer, pulled back inside the available area of the
// screen holding the pointer so that it is fully visible there.
QPoint panelTopLeft(const QPoint &devicePointer, const QSize &size, const QVector<ScreenArea> &screens);

// The application's screens, the primary one first.
QVector<ScreenArea> currentScreens();

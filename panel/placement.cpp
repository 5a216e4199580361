#include "panel/placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

QPoint panelTopLeft(const QPoint &pointer, const QSize &size, const QRect &area)
{
    // Right and bottom first, then left and top: a panel larger than the
    // area keeps its top-left corner visible.
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    const int x = std::max(area.x(), std::min(pointer.x(), right - size.width()));
    const int y = std::max(area.y(), std::min(pointer.y(), bottom - size.height()));
    return QPoint(x, y);
}

QRect availableAreaAt(const QPoint &pointer)
{
    QScreen *screen = QGuiApplication::screenAt(pointer);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(pointer, QSize(1, 1));
}

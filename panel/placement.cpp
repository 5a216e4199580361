#include "panel/placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

static QRect deviceRect(const ScreenArea &screen)
{
    return QRect(screen.geometry.topLeft(), screen.geometry.size() * screen.ratio);
}

QPoint logicalPointer(const QPoint &devicePointer, const QVector<ScreenArea> &screens, int *screen)
{
    if (screens.isEmpty())
        return devicePointer;
    const auto found = std::find_if(
        screens.begin(), screens.end(), [&](const ScreenArea &s) { return deviceRect(s).contains(devicePointer); });
    const ScreenArea &area = found == screens.end() ? screens.first() : *found;
    if (screen)
        *screen = found == screens.end() ? 0 : int(found - screens.begin());
    const QPoint offset = devicePointer - area.geometry.topLeft();
    return area.geometry.topLeft()
        + QPoint(int(std::lround(offset.x() / area.ratio)), int(std::lround(offset.y() / area.ratio)));
}

QPoint panelTopLeft(const QPoint &devicePointer, const QSize &size, const QVector<ScreenArea> &screens)
{
    int index = 0;
    const QPoint pointer = logicalPointer(devicePointer, screens, &index);
    if (screens.isEmpty())
        return pointer;
    // Right and bottom first, then left and top: a panel larger than the
    // area keeps its top-left corner visible.
    const QRect area = screens.at(index).available;
    const int x = std::max(area.left(), std::min(pointer.x(), area.left() + area.width() - size.width()));
    const int y = std::max(area.top(), std::min(pointer.y(), area.top() + area.height() - size.height()));
    return QPoint(x, y);
}

QVector<ScreenArea> currentScreens()
{
    QVector<ScreenArea> screens;
    QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        screens.append({ primary->geometry(), primary->availableGeometry(), primary->devicePixelRatio() });
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != primary)
            screens.append({ screen->geometry(), screen->availableGeometry(), screen->devicePixelRatio() });
    }
    return screens;
}

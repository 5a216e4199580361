#include "platform/layershell.h"

// A build without Wayland support never hosts the panel on a compositor.
namespace layerShell {
std::optional<bool> compositorHasIt()
{
    return std::nullopt;
}
void enable()
{
}
void warmUpOverlays()
{
}
void showOverlays(const std::function<void(QScreen *, QPoint)> &, const std::function<void(const QMouseEvent &)> &)
{
}
void hideOverlays()
{
}
void place(QWindow *, QScreen *, QPoint, bool)
{
}
} // namespace layerShell

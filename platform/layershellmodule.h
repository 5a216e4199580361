#pragma once

#include <QPoint>

#include <functional>
#include <optional>

class QMouseEvent;
class QScreen;
class QWindow;

// The layer-shell code lives in a module of its own beside libzarvel,
// libzarvel-layershell.so, loaded only where a Wayland display is named: it
// links Qt's Wayland client, which an X11 session would map for nothing.
// The module's one export, `zarvelLayerShell`, gives these (layershell.h
// says what each does).
struct LayerShellModule {
    std::optional<bool> (*compositorHasIt)();
    void (*enable)();
    void (*warmUpOverlays)();
    void (*showOverlays)(
        const std::function<void(QScreen *, QPoint)> &, const std::function<void(const QMouseEvent &)> &);
    void (*hideOverlays)();
    void (*place)(QWindow *, QScreen *, QPoint, bool);
};

inline constexpr char layerShellModuleFile[] = "libzarvel-layershell.so";
inline constexpr char layerShellModuleEntry[] = "zarvelLayerShell";

#pragma once

#include <QPoint>

#include <functional>

class QMouseEvent;
class QScreen;
class QWindow;

// The panel's host (host/main.cpp) on a Wayland compositor with the
// layer-shell protocol (wlroots-based ones, KDE Plasma): its windows are
// layer surfaces, put by the compositor where asked, on top of everything.
// Wayland tells a client where the pointer is only once the pointer enters
// one of its surfaces, so the pointer is learned from transparent overlays,
// one a screen, that also catch the click outside the panel.
namespace layerShell {

// Before the application object: every window of this process becomes a
// layer surface.
void enable();

// Maps the overlays once, unarmed, until each has painted, so that their
// buffers are made before the first show, which then costs what later ones do.
void warmUpOverlays();

// Maps the overlays. `entered` gets the screen under the pointer and the
// pointer's global logical position, once; `pressed` a press on any overlay.
void showOverlays(
    const std::function<void(QScreen *, QPoint)> &entered, const std::function<void(const QMouseEvent &)> &pressed);
void hideOverlays();

// Makes `window` (not yet shown) a surface above the overlays on `screen`,
// its top-left corner `offset` from the screen's; with the keyboard while it
// shows when it `takesKeyboard` (the panel does, its tool tip does not).
void place(QWindow *window, QScreen *screen, QPoint offset, bool takesKeyboard);

} // namespace layerShell

#include "platform/layershell.h"

#include <LayerShellQt/shell.h>
#include <LayerShellQt/window.h>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QScreen>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Clear, on the top layer across a whole screen: windows below get no
// click while it is mapped, and a press on it is a press outside the panel.
class Overlay : public QRasterWindow {
public:
    explicit Overlay(QScreen *screen)
    {
        QSurfaceFormat format;
        format.setAlphaBufferSize(8);
        setFormat(format);
        setScreen(screen);
        resize(screen->size());
        LayerShellQt::Window *layer = LayerShellQt::Window::get(this);
        layer->setLayer(LayerShellQt::Window::LayerTop);
        layer->setAnchors(LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop)
            | LayerShellQt::Window::AnchorBottom | LayerShellQt::Window::AnchorLeft
            | LayerShellQt::Window::AnchorRight);
        layer->setExclusiveZone(-1);
        layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityNone);
        layer->setDesiredOutput(screen);
        layer->setScope(QStringLiteral("zarvel-overlay"));
    }

    void arm(
        const std::function<void(QScreen *, QPoint)> &entered, const std::function<void(const QMouseEvent &)> &pressed)
    {
        m_entered = entered;
        m_pressed = pressed;
        setMask(QRegion());
        // One still up from its warm-up is mapped afresh: the pointer's
        // enter comes with the mapping.
        if (std::exchange(m_warmingUp, false))
            hide();
    }

    void warmUp()
    {
        m_warmingUp = true;
        show();
        // Takes no input meanwhile (an input region outside the surface):
        // a press, the chord among them, goes to what lies below, and the
        // pointer never enters a surface that goes without a leave.
        setMask(QRegion(-1, -1, 1, 1));
    }

protected:
    bool event(QEvent *e) override
    {
        // Only the first enter or motion tells: later ones are the pointer
        // moving on while the panel shows.
        if ((e->type() == QEvent::Enter || e->type() == QEvent::MouseMove) && m_entered && screen()) {
            const QPointF local = e->type() == QEvent::Enter ? static_cast<QEnterEvent *>(e)->localPos()
                                                             : static_cast<QMouseEvent *>(e)->localPos();
            const auto entered = std::exchange(m_entered, nullptr);
            entered(screen(), screen()->geometry().topLeft() + local.toPoint());
        } else if (e->type() == QEvent::MouseButtonPress && m_pressed) {
            m_pressed(*static_cast<QMouseEvent *>(e));
        }
        // Shown at the start only to have its buffers made: gone once it
        // has painted, unless a show came first.
        if (e->type() == QEvent::Expose && m_warmingUp && isExposed()) {
            const auto done = [this] {
                if (std::exchange(m_warmingUp, false))
                    hide();
            };
            QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
        }
        return QRasterWindow::event(e);
    }

private:
    bool m_warmingUp = false;
    std::function<void(QScreen *, QPoint)> m_entered;
    std::function<void(const QMouseEvent &)> m_pressed;
};

// Kept while the screens stay: a window shown again reuses its buffers, and
// the compositor maps it without new shared memory.
std::vector<std::unique_ptr<Overlay>> overlays;

void makeOverlays()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (overlays.size() != size_t(screens.size())
        || !std::equal(overlays.begin(), overlays.end(), screens.begin(),
            [](const std::unique_ptr<Overlay> &overlay, QScreen *screen) { return overlay->screen() == screen; })) {
        // They go before the application does.
        [[maybe_unused]] static const QMetaObject::Connection clearAtQuit
            = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { overlays.clear(); });
        overlays.clear();
        for (QScreen *screen : screens)
            overlays.emplace_back(new Overlay(screen));
    }
}

} // namespace

namespace layerShell {

void enable()
{
    LayerShellQt::Shell::useLayerShell();
}

void warmUpOverlays()
{
    makeOverlays();
    for (const std::unique_ptr<Overlay> &overlay : overlays)
        overlay->warmUp();
}

void showOverlays(
    const std::function<void(QScreen *, QPoint)> &entered, const std::function<void(const QMouseEvent &)> &pressed)
{
    makeOverlays();
    // One enter is enough: the first overlay to hear it tells, the others
    // fall silent.
    auto once = std::make_shared<std::function<void(QScreen *, QPoint)>>(entered);
    const auto first = [once](QScreen *screen, QPoint at) {
        if (const auto call = std::exchange(*once, nullptr))
            call(screen, at);
    };
    for (const std::unique_ptr<Overlay> &overlay : overlays) {
        overlay->arm(first, pressed);
        overlay->show();
    }
}

void hideOverlays()
{
    for (const std::unique_ptr<Overlay> &overlay : overlays)
        overlay->hide();
}

void place(QWindow *window, QScreen *screen, QPoint offset, bool takesKeyboard)
{
    LayerShellQt::Window *layer = LayerShellQt::Window::get(window);
    layer->setLayer(LayerShellQt::Window::LayerOverlay);
    layer->setAnchors(
        LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop) | LayerShellQt::Window::AnchorLeft);
    layer->setMargins(QMargins(offset.x(), offset.y(), 0, 0));
    layer->setKeyboardInteractivity(takesKeyboard ? LayerShellQt::Window::KeyboardInteractivityExclusive
                                                  : LayerShellQt::Window::KeyboardInteractivityNone);
    layer->setDesiredOutput(screen);
    layer->setScope(takesKeyboard ? QStringLiteral("zarvel-panel") : QStringLiteral("zarvel-tip"));
    window->setScreen(screen);
}

} // namespace layerShell

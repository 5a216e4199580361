#include "platform/desktop.h"
#include "platform/x11input.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <utility>

namespace {

// Ticks (10 ms apart) closer together than this count as one run of
// polling, even when the event loop is slow. After a longer pause (trigger
// off, settings editor open) a pending press may be old, and only an Alt
// held now may complete it.
const qint64 pollingGapMs = 250;

class X11Platform final : public Platform
{
public:
    bool triggerAvailable() override
    {
        if (!m_tried) {
            m_tried = true;
            open();
        }
        return m_input.isOpen();
    }

    KeyState asyncKeyState(Key key) override
    {
        KeyState state;
        if (!triggerAvailable())
            return state;
        if (key == Key::RightButton) {
            bool altAtPress = false;
            state.pressedSinceLastQuery = m_input.takeRightButtonPressed(&altAtPress);
            const bool polling = m_sinceRightQuery.isValid() && m_sinceRightQuery.elapsed() <= pollingGapMs;
            m_sinceRightQuery.start();
            // The chord is judged as the user made it: a tick that comes
            // late, after Alt was already let go, still sees it.
            m_altAtPress = polling && altAtPress;
        } else {
            state.down = m_input.altDown() || std::exchange(m_altAtPress, false);
        }
        return state;
    }

    bool pointerPosition(QPoint *position) override
    {
        int x = 0;
        int y = 0;
        if (!triggerAvailable() || !m_input.pointer(&x, &y))
            return false;
        *position = QPoint(x, y);
        return true;
    }

    // The window manager gives the panel the focus on activateWindow(); an
    // injected Alt release would cancel the Alt the user still holds, and
    // the waits would only leave a blank panel on screen.
    bool needsForegroundTrick() const override { return false; }
    void sendAltKey(bool) override {}
    void sleepMs(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

    StartResult startTarget(const QString &storedPath) override { return startStoredTarget(storedPath); }
    void createAutostartEntry() override { createAutostartEntryFile(); }

private:
    void open()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            qWarning("Zarvel: this session is not X11; the Alt + right-click trigger is off.");
            return;
        }
        if (!m_input.open()) {
            qWarning("Zarvel: %s; the Alt + right-click trigger is off.", m_input.openError());
            return;
        }
        // Read raw events as they come, so the server never queues them for
        // us while nothing polls.
        m_notifier = new QSocketNotifier(m_input.connectionFd(), QSocketNotifier::Read,
                                         QCoreApplication::instance());
        QObject::connect(m_notifier, &QSocketNotifier::activated, [this] { m_input.processPending(); });
    }

    X11Input m_input;
    QPointer<QSocketNotifier> m_notifier;
    QElapsedTimer m_sinceRightQuery;
    bool m_altAtPress = false;
    bool m_tried = false;
};

} // namespace

Platform &nativePlatform()
{
    static X11Platform platform;
    return platform;
}

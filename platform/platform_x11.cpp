#include "platform/platform_x11.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>

#include <utility>

// Ticks (10 ms apart) closer together than this count as one run of
// polling, even when the event loop is slow. After a longer pause (trigger
// off, settings editor open) a pending press may be old, and only an Alt
// held now may complete it.
static const qint64 pollingGapMs = 250;

bool X11Platform::triggerAvailable()
{
    if (!m_tried) {
        m_tried = true;
        open();
    }
    return m_input.isOpen();
}

Platform::KeyState X11Platform::asyncKeyState(Key key)
{
    KeyState state;
    if (!triggerAvailable())
        return state;
    if (key == Key::RightButton) {
        bool altAtPress = false;
        state.pressedSinceLastQuery = m_input.takeRightButtonPressed(&altAtPress);
        const bool polling
            = m_pressArrived || (m_sinceRightQuery.isValid() && m_sinceRightQuery.elapsed() <= pollingGapMs);
        m_sinceRightQuery.start();
        // The chord is judged as the user made it: a tick that comes
        // late, after Alt was already let go, still sees it.
        m_altAtPress = polling && altAtPress;
    } else {
        state.down = m_input.altDown() || std::exchange(m_altAtPress, false);
    }
    return state;
}

bool X11Platform::pointerPosition(QPoint *position)
{
    int x = 0;
    int y = 0;
    triggerAvailable();
    if (!m_input.pointer(&x, &y))
        return false;
    *position = QPoint(x, y);
    return true;
}

QString X11Platform::triggerProblem()
{
    return triggerAvailable() ? QString() : m_problem;
}

void X11Platform::sleepMs(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void X11Platform::open()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        m_problem = QStringLiteral("This session is not X11, so Alt + right-click cannot be seen.");
        return;
    }
    if (!m_input.open()) {
        m_problem = QStringLiteral("Alt + right-click cannot be seen: %1.").arg(QString::fromUtf8(m_input.openError()));
        return;
    }
    // Raw events are read as they come; the trigger's ticks then only look
    // at what was read, without a system call.
    m_notifier = new QSocketNotifier(m_input.connectionFd(), QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(m_notifier, &QSocketNotifier::activated, [this] {
        if (m_pressed)
            m_input.takeRightButtonPressed(); // not taken when it came: no chord now
        m_input.processPending();
        if (m_pressed && m_input.rightButtonPending()) {
            m_pressArrived = true;
            m_pressed();
            m_pressArrived = false;
        }
    });
}

bool X11Platform::watchRightPresses(const std::function<void()> &pressed)
{
    m_pressed = triggerAvailable() ? pressed : nullptr;
    return m_pressed != nullptr;
}

Platform &nativePlatform()
{
    static X11Platform platform;
    return platform;
}

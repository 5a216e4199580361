#include "platform/desktop.h"
#include "platform/x11input.h"

#include <QThread>

namespace {

class X11Platform final : public Platform
{
public:
    bool triggerAvailable() override
    {
        if (!m_tried) {
            m_tried = true;
            if (!m_input.open())
                qWarning("Zarvel: the X server offers no XInput 2.2; the Alt + right-click trigger is off.");
        }
        return m_input.isOpen();
    }

    KeyState asyncKeyState(Key key) override
    {
        KeyState state;
        if (!triggerAvailable())
            return state;
        if (key == Key::RightButton)
            state.pressedSinceLastQuery = m_input.takeRightButtonPressed();
        else
            state.down = m_input.altDown();
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

    bool needsForegroundTrick() const override { return false; }
    void sendAltKey(bool) override {}
    void sleepMs(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }

    StartResult startTarget(const QString &storedPath) override { return startStoredTarget(storedPath); }
    void createAutostartEntry() override { createAutostartEntryFile(); }

private:
    X11Input m_input;
    bool m_tried = false;
};

} // namespace

Platform &nativePlatform()
{
    static X11Platform platform;
    return platform;
}

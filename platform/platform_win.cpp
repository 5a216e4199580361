#include "platform/desktop.h"
#include "platform/winapi.h"

namespace {

class WindowsPlatform final : public Platform
{
public:
    bool triggerAvailable() override { return true; }

    KeyState asyncKeyState(Key key) override
    {
        const winapi::KeyBits bits =
            winapi::asyncKeyState(key == Key::RightButton ? winapi::rightButtonKey : winapi::altKey);
        KeyState state;
        state.pressedSinceLastQuery = bits.pressedSinceLastQuery;
        state.down = bits.down;
        return state;
    }

    bool pointerPosition(QPoint *position) override
    {
        int x = 0;
        int y = 0;
        if (!winapi::cursorPosition(&x, &y))
            return false;
        *position = QPoint(x, y);
        return true;
    }

    // Windows lets a background process bring its window forward only
    // right after keyboard input, hence the synthetic Alt taps around show().
    bool needsForegroundTrick() const override { return true; }
    void sendAltKey(bool press) override { winapi::sendAltKey(press); }
    void sleepMs(int milliseconds) override { winapi::sleepMs(milliseconds); }

    StartResult startTarget(const QString &storedPath) override { return startStoredTarget(storedPath); }
    void createAutostartEntry() override { createAutostartEntryFile(); }
};

} // namespace

Platform &nativePlatform()
{
    static WindowsPlatform platform;
    return platform;
}

#include "platform/platform_win.h"
#include "platform/winapi.h"

Platform::KeyState WindowsPlatform::asyncKeyState(Key key)
{
    const winapi::KeyBits bits
        = winapi::asyncKeyState(key == Key::RightButton ? winapi::rightButtonKey : winapi::altKey);
    KeyState state;
    state.pressedSinceLastQuery = bits.pressedSinceLastQuery;
    state.down = bits.down;
    return state;
}

bool WindowsPlatform::pointerPosition(QPoint *position)
{
    int x = 0;
    int y = 0;
    if (!winapi::cursorPosition(&x, &y))
        return false;
    *position = QPoint(x, y);
    return true;
}

void WindowsPlatform::sendAltKey(bool press)
{
    winapi::sendAltKey(press);
}

void WindowsPlatform::sleepMs(int milliseconds)
{
    winapi::sleepMs(milliseconds);
}

Platform &nativePlatform()
{
    static WindowsPlatform platform;
    return platform;
}

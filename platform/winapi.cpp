#include "platform/winapi.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace winapi {

static_assert(rightButtonKey == VK_RBUTTON, "VK_RBUTTON");
static_assert(altKey == VK_MENU, "VK_MENU");

KeyBits asyncKeyState(int virtualKey)
{
    const auto state = static_cast<unsigned short>(GetAsyncKeyState(virtualKey));
    KeyBits bits;
    bits.pressedSinceLastQuery = (state & 0x0001) != 0;
    bits.down = (state & 0x8000) != 0;
    return bits;
}

bool cursorPosition(int *x, int *y)
{
    POINT point;
    if (!GetCursorPos(&point))
        return false;
    *x = point.x;
    *y = point.y;
    return true;
}

void sendAltKey(bool press)
{
    if (press)
        keybd_event(VK_MENU, 0x38, 0, 0);
    else
        keybd_event(VK_MENU, 0xB8, KEYEVENTF_KEYUP, 0);
}

void sleepMs(int milliseconds)
{
    Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

} // namespace winapi

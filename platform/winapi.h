#pragma once

// The Windows calls behind the pop-up trigger, without windows.h in the
// header and without any Qt header in its source, so the source compiles on
// its own with a Windows cross-compiler.
namespace winapi {

// Virtual-key codes the trigger asks about.
constexpr int rightButtonKey = 0x02; // VK_RBUTTON
constexpr int altKey = 0x12; // VK_MENU

// The two bits of GetAsyncKeyState(virtualKey) that matter: bit 0 (pressed
// since the previous query, reset by this one) and bit 15 (down now).
struct KeyBits {
    bool pressedSinceLastQuery = false;
    bool down = false;
};
KeyBits asyncKeyState(int virtualKey);

// GetCursorPos; false when it fails (a secure desktop, say).
bool cursorPosition(int *x, int *y);

// keybd_event for VK_MENU: the press with scan code 0x38, the release with
// scan code 0xB8 and KEYEVENTF_KEYUP.
void sendAltKey(bool press);

// Sleep.
void sleepMs(int milliseconds);

} // namespace winapi

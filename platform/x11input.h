#pragma once

// Global input state read from the X server through XInput2 raw events.
// This header exposes no X types, and its source includes no Qt header
// (Xlib's Bool, Status and None macros break Qt's headers).
class X11Input
{
public:
    X11Input();
    ~X11Input();
    X11Input(const X11Input &) = delete;
    X11Input &operator=(const X11Input &) = delete;

    // Connects and selects raw events; false when the display cannot be
    // opened or lacks XInput 2.2.
    bool open();
    bool isOpen() const;

    // A right-button press since the previous call (reset by the call).
    bool takeRightButtonPressed();
    // Alt_L or Alt_R is held down now.
    bool altDown();
    // The pointer on the root window; false when it cannot be read.
    bool pointer(int *x, int *y);

private:
    struct State;
    State *d;
};

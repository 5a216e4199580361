#pragma once

// Global input state read from the X server through XInput2 raw events.
// This header exposes no X types, and its source includes no Qt header
// (Xlib's Bool, Status and None macros break Qt's headers).
//
// Raw events reach this connection whatever window the pointer is over and
// whoever holds a grab (XInput 2.1 and later), so a window manager's own
// Alt + button binding cannot hide the chord from us. The events are read
// in the order they happened, which lets every right-button press be judged
// by the Alt state at that very moment, however late the caller polls.
class X11Input {
public:
    X11Input();
    ~X11Input();
    X11Input(const X11Input &) = delete;
    X11Input &operator=(const X11Input &) = delete;

    // Connects to `displayName` (nullptr: $DISPLAY) and selects raw events;
    // false when the display cannot be opened or lacks XInput 2.2. Without
    // XInput the pointer can still be read.
    bool open(const char *displayName = nullptr);
    // Raw events are coming in.
    bool isOpen() const;
    // Why the last open() failed, for a one-line message.
    const char *openError() const;

    // The connection's socket (-1 when not open). Whoever uses this class
    // calls processPending() whenever the socket is readable: the queries
    // below then cost no system call at all, and the server never queues
    // raw events for us while nobody polls.
    int connectionFd() const;
    // Reads whatever events have arrived, without blocking.
    void processPending();

    // Whether the right button (physical button 3) was pressed since the
    // previous call; the call resets it. `altAtPress`, when given, tells
    // whether Alt was held at one of those presses. Both as of the last
    // processPending().
    bool takeRightButtonPressed(bool *altAtPress = nullptr);
    // Whether such a press waits to be taken, as of the last processPending().
    bool rightButtonPending() const;
    // Alt_L or Alt_R is held down, as of the last processPending().
    bool altDown();
    // The pointer on the root window; false when it cannot be read.
    bool pointer(int *x, int *y);

    // Handles one raw event as if the server had sent it, so that a test
    // can replay a sequence no real device makes (a lost key release).
    enum class RawEvent { KeyDown, KeyUp, ButtonDown };
    void replay(RawEvent type, int detail);

private:
    struct State;
    State *d;
};

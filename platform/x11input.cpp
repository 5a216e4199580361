#include "platform/x11input.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace {

// Physical button numbers: raw events carry them before any button
// mapping, so a left-handed mapping does not turn the chord around.
const int rightButton = 3;
const int keycodeCount = 256;

} // namespace

struct X11Input::State {
    Display *display = nullptr;
    Window root = 0;
    int xiOpcode = 0;
    int xkbEventBase = -1;
    bool rawEvents = false;
    const char *error = "not opened";

    // Indexed by keycode. Down flags, not counters: the same release can
    // reach us twice (two keyboards, or the keymap read after the event).
    bool altKey[keycodeCount] = {};
    bool keyDown[keycodeCount] = {};

    bool rightPressed = false;
    bool altAtRightPress = false;

    bool altHeld() const
    {
        for (int keycode = 0; keycode < keycodeCount; ++keycode) {
            if (altKey[keycode] && keyDown[keycode])
                return true;
        }
        return false;
    }

    // Which keycodes carry Alt_L or Alt_R on any level; asked again after
    // every keyboard mapping change.
    void readAltKeys()
    {
        for (bool &alt : altKey)
            alt = false;
        int minKeycode = 0;
        int maxKeycode = 0;
        XDisplayKeycodes(display, &minKeycode, &maxKeycode);
        int perKeycode = 0;
        KeySym *symbols
            = XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
        if (!symbols)
            return;
        for (int keycode = minKeycode; keycode <= maxKeycode && keycode < keycodeCount; ++keycode) {
            for (int level = 0; level < perKeycode; ++level) {
                const KeySym symbol = symbols[(keycode - minKeycode) * perKeycode + level];
                if (symbol == XK_Alt_L || symbol == XK_Alt_R)
                    altKey[keycode] = true;
            }
        }
        XFree(symbols);
    }

    // Keys already held when we start listening (Alt held while the
    // program starts, say).
    void readKeysDown()
    {
        char keys[32] = {};
        XQueryKeymap(display, keys);
        for (int keycode = 0; keycode < keycodeCount; ++keycode)
            keyDown[keycode] = (keys[keycode / 8] >> (keycode % 8)) & 1;
    }

    void handle(XEvent &event)
    {
        if (xkbEventBase >= 0 && event.type == xkbEventBase) {
            readAltKeys(); // a key's symbols changed, or a new keyboard came
            return;
        }
        if (event.type == MappingNotify) {
            if (event.xmapping.request != MappingPointer) {
                XRefreshKeyboardMapping(&event.xmapping);
                readAltKeys();
            }
            return;
        }
        if (event.type != GenericEvent || event.xcookie.extension != xiOpcode)
            return;
        if (!XGetEventData(display, &event.xcookie))
            return;
        const auto *raw = static_cast<const XIRawEvent *>(event.xcookie.data);
        switch (event.xcookie.evtype) {
        case XI_RawButtonPress:
            handleRaw(RawEvent::ButtonDown, raw->detail);
            break;
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            handleRaw(event.xcookie.evtype == XI_RawKeyPress ? RawEvent::KeyDown : RawEvent::KeyUp, raw->detail);
            break;
        default:
            break;
        }
        XFreeEventData(display, &event.xcookie);
    }

    void handleRaw(RawEvent type, int detail)
    {
        if (type == RawEvent::ButtonDown) {
            if (detail != rightButton)
                return;
            rightPressed = true;
            // A release can be lost: under XWayland, Alt let go over a
            // native window never reaches an X client, and every later
            // right-click would count as a chord. So a chord is confirmed
            // with the server's own key map, which knows.
            if (altHeld()) {
                readKeysDown();
                altAtRightPress = altHeld();
            }
        } else if (detail >= 0 && detail < keycodeCount) {
            keyDown[detail] = type == RawEvent::KeyDown;
        }
    }

    // Events Xlib has already read, along with a reply say; no system call.
    void processQueued()
    {
        while (XQLength(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            handle(event);
        }
    }

    void close()
    {
        if (display)
            XCloseDisplay(display);
        display = nullptr;
    }
};

X11Input::X11Input()
    : d(new State)
{
}

X11Input::~X11Input()
{
    d->close();
    delete d;
}

bool X11Input::open(const char *displayName)
{
    if (d->display)
        return d->rawEvents;
    Display *display = XOpenDisplay(displayName);
    if (!display) {
        d->error = "the X display cannot be opened";
        return false;
    }
    d->display = display;

    int firstEvent = 0;
    int firstError = 0;
    // Without raw events the connection still tells where the pointer is.
    if (!XQueryExtension(display, "XInputExtension", &d->xiOpcode, &firstEvent, &firstError)) {
        d->error = "the X server has no XInput extension";
        return false;
    }
    // Announcing 2.2 is what makes the server send raw events to us even
    // while another client holds a grab; with 2.0 a grab swallows them.
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2)) {
        d->error = "the X server offers no XInput 2.2";
        return false;
    }

    d->root = DefaultRootWindow(display);
    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask, XI_RawButtonPress);
    XISetMask(mask, XI_RawKeyPress);
    XISetMask(mask, XI_RawKeyRelease);
    XIEventMask eventMask;
    eventMask.deviceid = XIAllMasterDevices;
    eventMask.mask_len = sizeof mask;
    eventMask.mask = mask;
    XISelectEvents(display, d->root, &eventMask, 1);

    // A client that uses XKB, as Xlib does by itself, hears of keymap
    // changes only through XKB events it asks for.
    int xkbOpcode = 0;
    int xkbError = 0;
    int xkbMajor = XkbMajorVersion;
    int xkbMinor = XkbMinorVersion;
    if (XkbQueryExtension(display, &xkbOpcode, &d->xkbEventBase, &xkbError, &xkbMajor, &xkbMinor)) {
        const unsigned int events = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
        XkbSelectEvents(display, XkbUseCoreKbd, events, events);
    } else {
        d->xkbEventBase = -1;
    }

    // Selected first, read second: a key that changes in between shows up
    // both in the keymap and as an event, which the flags absorb.
    d->readAltKeys();
    d->readKeysDown();
    d->error = "";
    d->rawEvents = true;
    processPending();
    return true;
}

bool X11Input::isOpen() const
{
    return d->rawEvents;
}

const char *X11Input::openError() const
{
    return d->error;
}

int X11Input::connectionFd() const
{
    return d->rawEvents ? ConnectionNumber(d->display) : -1;
}

void X11Input::processPending()
{
    if (!d->rawEvents)
        return;
    // QueuedAfterReading reads what the socket holds without blocking and
    // without a round trip.
    while (XEventsQueued(d->display, QueuedAfterReading) > 0) {
        XEvent event;
        XNextEvent(d->display, &event);
        d->handle(event);
    }
}

bool X11Input::takeRightButtonPressed(bool *altAtPress)
{
    if (d->display)
        d->processQueued();
    const bool pressed = d->rightPressed;
    if (altAtPress)
        *altAtPress = d->altAtRightPress;
    d->rightPressed = false;
    d->altAtRightPress = false;
    return pressed;
}

bool X11Input::rightButtonPending() const
{
    return d->rightPressed;
}

bool X11Input::altDown()
{
    if (d->display)
        d->processQueued();
    return d->altHeld();
}

void X11Input::replay(RawEvent type, int detail)
{
    d->handleRaw(type, detail);
}

bool X11Input::pointer(int *x, int *y)
{
    if (!d->display)
        return false;
    Window rootReturn = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    const bool onThisScreen
        = XQueryPointer(d->display, d->root, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY, &buttons);
    // Waiting for the reply may have read events off the socket, which will
    // not signal them again.
    processPending();
    if (!onThisScreen)
        return false;
    *x = rootX;
    *y = rootY;
    return true;
}

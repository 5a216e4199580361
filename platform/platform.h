#pragma once

#include <QIcon>
#include <QPoint>
#include <QString>

#include <functional>

// The narrow layer between Zarvel and the operating system. Nothing above
// platform/ includes windows.h or Xlib; everything goes through here, and
// every operation is one of these virtuals.
//
// One native implementation is compiled in (platform_win.h or
// platform_x11.h, chosen by the build), its operations defined in one file
// per concern; tests install a fake with Platform::setInstance().
class Platform {
public:
    enum class Key { RightButton, Alt };

    // The two bits of a global key-state query.
    struct KeyState {
        bool pressedSinceLastQuery = false; // reset by the query itself
        bool down = false;
    };

    // The outcome of starting a button's target.
    struct StartResult {
        bool started = false;
        QString error; // a short reason for the user when not started
    };

    virtual ~Platform();

    // Whether the global key state can be read at all (on X11 it needs
    // XInput 2.2); without it the trigger never fires, and
    // triggerProblem() says why, in words for the user.
    virtual bool triggerAvailable() = 0;
    virtual QString triggerProblem() = 0;

    // One query of the global state of `key`, with GetAsyncKeyState's
    // meaning: `pressedSinceLastQuery` is reset by this query.
    virtual KeyState asyncKeyState(Key key) = 0;

    // Calls `pressed` from the event loop as soon as a right-button press
    // arrives, so that the trigger need not poll; each call stands for one
    // tick of the poll, and a press nobody took by the next one (the trigger
    // off, a dialog open) is forgotten. An empty `pressed` stops the calls.
    // False where the system gives no such events: the trigger polls there.
    virtual bool watchRightPresses(const std::function<void()> &pressed) = 0;

    // The pointer in global screen coordinates; false when it cannot be read.
    virtual bool pointerPosition(QPoint *position) = 0;

    // Whether a window must be pulled into the foreground by synthetic Alt
    // taps around show() (Windows refuses a plain activation from a
    // background process; X11 window managers need no such trick).
    virtual bool needsForegroundTrick() const = 0;

    // A synthetic Alt press or release.
    virtual void sendAltKey(bool press) = 0;

    // Blocks the calling thread.
    virtual void sleepMs(int milliseconds) = 0;

    // Told why a start failed that had already been reported as begun (the
    // desktop's opener found no application for a document, say).
    using LaterFailure = std::function<void(const QString &reason)>;

    // Starts a button's stored target, detached, without waiting for it:
    // whatever is only known later reaches `laterFailure`, from the event
    // loop.
    virtual StartResult startTarget(const QString &storedPath, const LaterFailure &laterFailure = {}) = 0;

    // The picture file of the icon the desktop shows for the application
    // `file` starts (the icon a desktop entry names, as a file or a name in
    // the icon theme), for readPicture() to read; empty when it knows none.
    virtual QString applicationIconFile(const QString &file) = 0;

    // The picture file of the icon `name` in the desktop's icon theme
    // ("firefox", "text-x-generic"), for readPicture() to read; empty where
    // there is no theme or it has no such icon.
    virtual QString themeIconFile(const QString &name);

    // Grows whenever the installed applications are seen to change (an
    // entry added, replaced or removed), so that icons made from
    // applicationIconFile() are made again; 0 where they are never read.
    virtual quint64 applicationsGeneration();

    // Makes sure the per-user autostart entry for this program exists;
    // never replaces one the user made or changed, nor one that starts a
    // copy of the program still there.
    virtual void createAutostartEntry() = 0;

    // Hands over to the updater beside this program (in its folder, never
    // in whatever folder it was started from), started in that folder so
    // that it outlives this process, with this program's version, the
    // address of the edition's version document and the command that
    // starts this program again. Not started when the updater is missing
    // there; the error then says so.
    virtual StartResult startUpdater(const QString &version, const QString &versionUrl) = 0;

    // The implementation in use: the native one unless a test set another.
    static Platform &instance();
    // For tests: use `platform` from now on (nullptr goes back to native).
    static void setInstance(Platform *platform);
};

// The build's native implementation.
Platform &nativePlatform();

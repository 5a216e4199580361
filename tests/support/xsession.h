#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// A private X session for end-to-end tests: its own Xvfb on a free display
// (found with -displayfd), the openbox window manager, on request a trayer
// system tray, and the real Zarvel program, all inside the test's sandbox.
// Input goes in through xdotool, exactly as a user's would; what is on the
// screen is read back with xdotool and xwininfo.
//
// Every process it starts is stopped when the session is destroyed, and
// killed by the kernel should the test process die first.
//
//     XSession x;
//     QVERIFY2(x.start(), qPrintable(x.errorString()));
//     QVERIFY2(x.startZarvel(), qPrintable(x.errorString()));
//     x.chord(QPoint(300, 200));
//     QVERIFY(XSession::waitFor([&] { return x.isViewable(x.panelWindow()); }));
//
// openbox runs with a small configuration of its own: a left, middle or
// right click focuses and raises a client window, and Alt + left / right
// button drags move / resize it (so the window manager holds the same
// Alt + right-button grab a desktop user's usually does). Clicks on the
// desktop itself do nothing.
class XSession
{
public:
    // An X window id as xdotool prints it; 0 means none.
    using WindowId = quint64;

    struct Options {
        QSize screenSize{1280, 1024};
    };

    XSession();
    explicit XSession(const Options &options);
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // Starts Xvfb and openbox, and returns once openbox manages the screen.
    bool start();
    // Starts trayer: a system tray 32 px high at the top left corner, which
    // reserves that strip of the screen. Returns once its window is mapped.
    bool startTray();
    // What the last failed call could not do.
    QString errorString() const;

    // ":<n>", and an environment for any program on this display: the
    // test's sandboxed HOME and XDG folders, no session bus, the xcb
    // platform for Qt programs.
    QString display() const;
    QProcessEnvironment environment() const;

    // Starts the real Zarvel (ZARVEL_BINARY) in the sandbox's home folder
    // and returns once its panel window exists (hidden, as after start-up).
    bool startZarvel(const QStringList &arguments = {QStringLiteral("-checkupdate")});
    qint64 zarvelPid() const;
    bool zarvelRunning() const;
    // Waits until Zarvel ends by itself; its exit code, or -1 when it did
    // not end in time or crashed.
    int waitForZarvelExit(int timeoutMs = 10000);
    // Everything Zarvel wrote to stderr so far.
    QByteArray zarvelErrors();
    void stopZarvel();

    // Starts any program on this display; it is stopped with the session.
    QProcess *startProgram(const QString &program, const QStringList &arguments);
    // A plain client window (xmessage) at `geometry`, once it is mapped.
    WindowId startClientWindow(const QRect &geometry);

    // Runs a program on this display to its end (10 s at most) and returns
    // its standard output, trimmed; `ok` tells whether it exited with 0.
    QString run(const QString &program, const QStringList &arguments, bool *ok = nullptr) const;
    QString xdotool(const QStringList &arguments, bool *ok = nullptr) const;

    // Input, through the XTEST extension.
    void movePointer(const QPoint &to);
    void click(const QPoint &at, int button = 1);
    // The pop-up chord as a user makes it at `at`: Alt down, right click,
    // Alt up.
    void chord(const QPoint &at);
    void key(const QString &keys); // xdotool key names, space separated

    // Windows. panelWindow() is Zarvel's panel, mapped or not;
    // trayIconWindow() its tray icon once embedded and shown; menuWindow()
    // a mapped popup menu of Zarvel's.
    WindowId panelWindow() const;
    WindowId trayIconWindow() const;
    WindowId menuWindow() const;
    bool isViewable(WindowId window) const;
    bool isPanelShown() const;
    QRect geometry(WindowId window) const; // in root coordinates
    WindowId activeWindow() const;

    // Polls `condition` (keeping this process's events flowing) until it
    // holds or `timeoutMs` has passed; whether it held.
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000);
    // Lets input that must have no effect reach Zarvel's polling (which
    // runs every 10 ms) before a test looks for the absence of its effect.
    static void settle(int milliseconds = 300);

private:
    QProcess *launch(const QString &program, const QStringList &arguments, bool captureOutput);
    QList<WindowId> findWindows(const QStringList &searchArguments) const;
    QList<WindowId> zarvelWindows() const; // mapped ones
    QString property(WindowId window, const QString &name) const;
    bool fail(const QString &message);

    Options m_options;
    QTemporaryDir m_dir;
    QString m_display;
    QString m_error;
    std::vector<std::unique_ptr<QProcess>> m_processes; // stopped in reverse order
    QProcess *m_zarvel = nullptr;
    QByteArray m_zarvelErrors;
    int m_clients = 0;
    mutable WindowId m_panel = 0;
};

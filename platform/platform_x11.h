#pragma once

#include "platform/platform.h"
#include "platform/x11input.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>

class QFileSystemWatcher;
class QSocketNotifier;

// The X11 layer: the trigger on XInput 2.2 raw events (platform_x11.cpp),
// launching without a shell (launch_x11.cpp), the freedesktop autostart
// entry (autostart_x11.cpp) and the updater (updater_x11.cpp).
class X11Platform final : public Platform {
public:
    bool triggerAvailable() override;
    QString triggerProblem() override;
    KeyState asyncKeyState(Key key) override;
    bool watchRightPresses(const std::function<void()> &pressed) override;
    bool pointerPosition(QPoint *position) override;
    // The window manager gives the panel the focus on activateWindow(); an
    // injected Alt release would cancel the Alt the user still holds, and
    // the waits would only leave a blank panel on screen.
    bool needsForegroundTrick() const override { return false; }
    void sendAltKey(bool) override { }
    void sleepMs(int milliseconds) override;
    StartResult startTarget(const QString &storedPath, const LaterFailure &laterFailure) override;
    QString applicationIconFile(const QString &file) override;
    QString themeIconFile(const QString &name) override;
    quint64 applicationsGeneration() override { return m_applicationsGeneration; }
    void createAutostartEntry() override;
    StartResult startUpdater(const QString &version, const QString &versionUrl) override;

private:
    void open();
    // The Icon of the installed application entries, by the program each
    // one starts (launch_x11.cpp).
    const QHash<QString, QString> &entryIconsByProgram();

    X11Input m_input;
    QPointer<QSocketNotifier> m_notifier;
    QElapsedTimer m_sinceRightQuery;
    std::function<void()> m_pressed;
    bool m_pressArrived = false; // m_pressed runs for a press just read
    bool m_altAtPress = false;
    bool m_tried = false;
    QString m_problem;
    // Read when a button first shows a program, and again after the
    // applications folders, which m_applicationsWatcher watches, change.
    QHash<QString, QString> m_entryIcons;
    bool m_entryIconsRead = false;
    // Applications folders that do not exist, by the folder watched above.
    QHash<QString, QString> m_awaitedApplications;
    quint64 m_applicationsGeneration = 0;
    QPointer<QFileSystemWatcher> m_applicationsWatcher;
};

#pragma once

#include "platform/platform.h"

#include <QList>
#include <QStringList>

// A scripted stand-in for the operating system, for tests: key states and
// the pointer are set by the test; taps, sleeps, starts and autostart
// requests are recorded.
class FakePlatform final : public Platform
{
public:
    // Scripted input. `rightPressed` is sticky until queried, like bit 0 of
    // GetAsyncKeyState.
    bool available = true;
    bool rightPressed = false;
    bool rightDown = false;
    bool altDown = false;
    bool pointerReadable = true;
    QPoint pointer;
    bool foregroundTrick = false;
    StartResult nextStartResult{true, QString()};
    StartResult nextUpdaterResult{true, QString()};

    // What was asked of the system, in order: "alt-down", "alt-up",
    // "sleep <ms>".
    QStringList calls;
    int rightQueries = 0;
    int altQueries = 0;
    QStringList startedTargets;
    int autostartRequests = 0;
    // One entry per updater start: working directory, version, address.
    QList<QStringList> updaterStarts;

    bool triggerAvailable() override;
    KeyState asyncKeyState(Key key) override;
    bool pointerPosition(QPoint *position) override;
    bool needsForegroundTrick() const override;
    void sendAltKey(bool press) override;
    void sleepMs(int milliseconds) override;
    StartResult startTarget(const QString &storedPath) override;
    QIcon applicationIcon(const QString &) override { return QIcon(); }
    void createAutostartEntry() override;
    StartResult startUpdater(const QString &workingDirectory, const QString &version,
                             const QString &versionUrl) override;
};

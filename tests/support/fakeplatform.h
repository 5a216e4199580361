#pragma once

#include "platform/platform.h"

#include <QList>
#include <QStringList>

#include <utility>

// A scripted stand-in for the operating system: key states and the pointer
// are set by the test; taps, sleeps, starts and autostart requests are
// recorded. With `realStarts`, targets start (and icons are looked up) for
// real through the native layer.
class FakePlatform final : public Platform {
public:
    // `rightPressed` is sticky until queried, like bit 0 of GetAsyncKeyState.
    bool available = true;
    bool rightPressed = false;
    bool altDown = false;
    bool pointerReadable = true;
    QPoint pointer;
    bool foregroundTrick = false;
    bool realStarts = false;
    StartResult nextStartResult { true, QString() };
    StartResult nextUpdaterResult { true, QString() };

    // What was asked of the system, in order: "alt-down", "alt-up",
    // "sleep <ms>".
    QStringList calls;
    QStringList startedTargets;
    int autostartRequests = 0;
    // One entry per updater start: working directory, version, address.
    QList<QStringList> updaterStarts;

    bool triggerAvailable() override { return available; }
    QString triggerProblem() override { return available ? QString() : QStringLiteral("no trigger here"); }
    KeyState asyncKeyState(Key key) override
    {
        KeyState state;
        if (key == Key::RightButton)
            state.pressedSinceLastQuery = std::exchange(rightPressed, false);
        else
            state.down = altDown;
        return state;
    }
    bool pointerPosition(QPoint *position) override
    {
        *position = pointer;
        return pointerReadable;
    }
    bool needsForegroundTrick() const override { return foregroundTrick; }
    void sendAltKey(bool press) override
    {
        calls.append(press ? QStringLiteral("alt-down") : QStringLiteral("alt-up"));
    }
    void sleepMs(int milliseconds) override { calls.append(QStringLiteral("sleep %1").arg(milliseconds)); }
    StartResult startTarget(const QString &storedPath) override
    {
        startedTargets.append(storedPath);
        return realStarts ? nativePlatform().startTarget(storedPath) : nextStartResult;
    }
    QIcon applicationIcon(const QString &file) override
    {
        return realStarts ? nativePlatform().applicationIcon(file) : QIcon();
    }
    void createAutostartEntry() override { ++autostartRequests; }
    StartResult startUpdater(
        const QString &workingDirectory, const QString &version, const QString &versionUrl) override
    {
        updaterStarts.append({ workingDirectory, version, versionUrl });
        return nextUpdaterResult;
    }
};

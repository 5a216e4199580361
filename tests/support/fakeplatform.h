#pragma once

#include "platform/platform.h"

#include <QStringList>

#include <utility>

// A scripted stand-in for the operating system: key states and the pointer are set by the test; taps, sleeps, starts
// and autostart requests are recorded.
class FakePlatform final : public Platform {
public:
    bool rightPressed = false; // sticky until queried, like bit 0 of GetAsyncKeyState
    bool altDown = false;
    QPoint pointer;
    bool foregroundTrick = false;

    QStringList calls; // "alt-down", "alt-up", "sleep <ms>", in order
    QStringList startedTargets;
    int autostartRequests = 0;
    std::function<void()> rightPresses; // what the panel watches presses with, when it does

    bool triggerAvailable() override { return true; }
    QString triggerProblem() override { return QString(); }
    KeyState asyncKeyState(Key key) override
    {
        return key == Key::RightButton ? KeyState { std::exchange(rightPressed, false), false }
                                       : KeyState { false, altDown };
    }
    bool watchRightPresses(const std::function<void()> &pressed) override { return (rightPresses = pressed), true; }
    bool pointerPosition(QPoint *position) override { return *position = pointer, true; }
    bool needsForegroundTrick() const override { return foregroundTrick; }
    void sendAltKey(bool press) override { calls << (press ? "alt-down" : "alt-up"); }
    void sleepMs(int milliseconds) override { calls << QStringLiteral("sleep %1").arg(milliseconds); }
    QString startError; // why every start fails, when set
    StartResult startTarget(const QString &storedPath, const LaterFailure &) override
    {
        startedTargets << storedPath;
        return StartResult { startError.isEmpty(), startError };
    }
    QString applicationIconFile(const QString &) override { return QString(); }
    void createAutostartEntry() override { ++autostartRequests; }
    StartResult startUpdater(const QString &, const QString &) override { return { true, {} }; }
};

#pragma once

#include "platform/platform.h"

// The Windows layer: the trigger on user32 (platform_win.cpp over
// winapi.cpp), launching through cmd.exe (launch_win.cpp), the Startup
// shortcut (autostart_win.cpp) and the updater (updater_win.cpp).
class WindowsPlatform final : public Platform {
public:
    bool triggerAvailable() override { return true; }
    QString triggerProblem() override { return QString(); }
    KeyState asyncKeyState(Key key) override;
    // GetAsyncKeyState has no events to wait for: the trigger polls.
    bool watchRightPresses(const std::function<void()> &) override { return false; }
    bool pointerPosition(QPoint *position) override;
    // Windows lets a background process bring its window forward only
    // right after keyboard input, hence the synthetic Alt taps around show().
    bool needsForegroundTrick() const override { return true; }
    void sendAltKey(bool press) override;
    void sleepMs(int milliseconds) override;
    StartResult startTarget(const QString &storedPath, const LaterFailure &laterFailure) override;
    QString applicationIconFile(const QString &) override { return QString(); }
    void createAutostartEntry() override;
    StartResult startUpdater(const QString &version, const QString &versionUrl) override;
};

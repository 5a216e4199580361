#include "tests/support/fakeplatform.h"

bool FakePlatform::triggerAvailable()
{
    return available;
}

Platform::KeyState FakePlatform::asyncKeyState(Key key)
{
    KeyState state;
    if (key == Key::RightButton) {
        ++rightQueries;
        state.pressedSinceLastQuery = rightPressed;
        state.down = rightDown;
        rightPressed = false;
    } else {
        ++altQueries;
        state.down = altDown;
    }
    return state;
}

bool FakePlatform::pointerPosition(QPoint *position)
{
    if (!pointerReadable)
        return false;
    *position = pointer;
    return true;
}

bool FakePlatform::needsForegroundTrick() const
{
    return foregroundTrick;
}

void FakePlatform::sendAltKey(bool press)
{
    calls.append(press ? QStringLiteral("alt-down") : QStringLiteral("alt-up"));
}

void FakePlatform::sleepMs(int milliseconds)
{
    calls.append(QStringLiteral("sleep %1").arg(milliseconds));
}

Platform::StartResult FakePlatform::startTarget(const QString &storedPath)
{
    startedTargets.append(storedPath);
    return nextStartResult;
}

void FakePlatform::createAutostartEntry()
{
    ++autostartRequests;
}

Platform::StartResult FakePlatform::startUpdater(const QString &workingDirectory, const QString &version,
                                                 const QString &versionUrl)
{
    updaterStarts.append({workingDirectory, version, versionUrl});
    return nextUpdaterResult;
}

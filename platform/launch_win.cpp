#include "platform/environment.h"
#include "platform/platform_win.h"

#include <QProcess>

// CreateProcess flags (winbase.h), kept here so that this file needs no
// Windows header next to Qt's.
static const unsigned long createNewConsole = 0x00000010;
static const unsigned long createNoWindow = 0x08000000;

Platform::StartResult WindowsPlatform::startTarget(const QString &storedPath, const LaterFailure &)
{
    // The command interpreter runs the target as the user would from the
    // Run box: programs, batch files and documents alike. Started detached,
    // so that no process object stays behind per launch and the target gets
    // no pipe that nobody reads.
    const QString command = QStringLiteral("cmd.exe /c call ") + storedPath;
    QStringList arguments = QProcess::splitCommand(command);
    QProcess process;
    process.setProgram(arguments.takeFirst());
    process.setArguments(arguments);
    process.setProcessEnvironment(givenEnvironment());
    // A detached start would open a console window for cmd.exe; the
    // interpreter only passes the target on and needs none.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags &= ~createNewConsole;
        args->flags |= createNoWindow;
    });

    Platform::StartResult result;
    result.started = process.startDetached();
    if (!result.started)
        result.error = QStringLiteral("the command interpreter could not be started");
    return result;
}

#include "platform/environment.h"
#include "platform/platform_win.h"
#include "platform/updatecommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

Platform::StartResult WindowsPlatform::startUpdater(const QString &version, const QString &versionUrl)
{
    // Beside Zarvel.exe, and started in its folder, where the restart
    // command "Zarvel.exe -checkupdate" finds the program again. A
    // zvUpdtr.exe in the folder Zarvel was started from is anybody's.
    StartResult result;
    const QString folder = QCoreApplication::applicationDirPath();
    const QString updater = windowsUpdaterPath(folder);
    if (!QFileInfo(updater).isFile()) {
        result.error = QStringLiteral("The updater %1 was not found.").arg(QDir::toNativeSeparators(updater));
        return result;
    }

    // The command text is split the way the single-string start splits it,
    // so cmd.exe gets /c, call and the three double-quoted pieces.
    QStringList parts = QProcess::splitCommand(windowsUpdaterCommand(folder, version, versionUrl));
    const QString program = parts.takeFirst();

    // Never destroyed: destroying a QProcess kills what it started, and the
    // updater has to outlive this run. Its channels go to the null device,
    // not to pipes that break when this process ends.
    auto *process = new QProcess;
    process->setWorkingDirectory(folder);
    process->setProcessEnvironment(givenEnvironment());
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, parts, QIODevice::ReadWrite);
    result.started = process->waitForStarted();
    if (!result.started) {
        result.error = QStringLiteral("The updater %1 could not be started.").arg(QDir::toNativeSeparators(updater));
        delete process;
    }
    return result;
}

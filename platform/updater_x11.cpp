#include "platform/environment.h"
#include "platform/platform_x11.h"
#include "platform/updatecommand.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

Platform::StartResult X11Platform::startUpdater(const QString &version, const QString &versionUrl)
{
    // The program is the launcher Zarvel, whose folder holds libzarvel.so:
    // the updater is installed beside them. A zvUpdtr in the folder Zarvel
    // was started from is anybody's.
    StartResult result;
    const QString folder = QCoreApplication::applicationDirPath();
    const QString updater = unixUpdaterPath(folder);
    if (!QFileInfo(updater).isFile()) {
        result.error = QStringLiteral("The updater %1 was not found.").arg(updater);
        return result;
    }

    // Detached, so that the updater is no child of this process and keeps
    // running after the hand-over has ended it.
    QStringList options = QCoreApplication::arguments().mid(1);
    options.removeAll(QStringLiteral("-checkupdate"));
    QProcess process;
    process.setProgram(updater);
    process.setArguments(unixUpdaterArguments(version, versionUrl, QCoreApplication::applicationFilePath(), options));
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(givenEnvironment());
    process.setStandardInputFile(QProcess::nullDevice());
    result.started = process.startDetached();
    if (!result.started)
        result.error = QStringLiteral("The updater %1 could not be started.").arg(updater);
    return result;
}

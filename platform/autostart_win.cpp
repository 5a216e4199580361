#include "platform/autostartentry.h"
#include "platform/platform_win.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

void WindowsPlatform::createAutostartEntry()
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString shortcut =
        windowsStartupShortcut(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                               QCoreApplication::organizationName(), QCoreApplication::applicationName(), program);
    // QFile::link writes a shell shortcut and never replaces an existing
    // file; the Startup folder is the system's, so a missing one stays
    // missing.
    QFile::link(program, shortcut);
}

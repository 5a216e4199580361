#include "platform/autostartentry.h"
#include "platform/desktop.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

void createAutostartEntryFile()
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString shortcut =
        windowsStartupShortcut(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                               QCoreApplication::organizationName(), QCoreApplication::applicationName(), program);
    // A shortcut already there is the user's to keep, even one whose target
    // is gone (isSymLink sees the .lnk itself): QFile::link would save over
    // it. The Startup folder is the system's, so a missing one stays missing.
    const QFileInfo existing(shortcut);
    if (existing.exists() || existing.isSymLink())
        return;
    QFile::link(program, shortcut);
}

#include "platform/autostartentry.h"
#include "platform/platform_win.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

void WindowsPlatform::createAutostartEntry()
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString shortcut = windowsStartupShortcut(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
        QCoreApplication::organizationName(), QCoreApplication::applicationName(), program);
    // A shortcut already there is the user's to keep, even one whose target
    // is gone: QFile::link would save over it. QFileInfo cannot tell: it takes
    // any .lnk name for a link, and calls one missing when its target is. The
    // folder's listing can.
    const QFileInfo link(shortcut);
    const QStringList present
        = QDir(link.path()).entryList({ QStringLiteral("*.lnk") }, QDir::Files | QDir::System | QDir::Hidden);
    if (present.contains(link.fileName(), Qt::CaseInsensitive))
        return;
    QFile::link(program, shortcut);
}

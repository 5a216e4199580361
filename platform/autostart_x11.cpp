#include "platform/autostartentry.h"
#include "platform/desktopentry.h"
#include "platform/platform_x11.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

void X11Platform::createAutostartEntry()
{
    // GenericConfigLocation is $XDG_CONFIG_HOME, or ~/.config without it.
    const QString folder
        = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1String("/autostart");
    const QString program = QCoreApplication::applicationFilePath();

    // An entry that is exactly what Zarvel writes for the program it names
    // was written by Zarvel and never changed: it follows the program once
    // that is gone (moved, or an install after a trial run from a build
    // folder since removed). While the program it names is there, that copy
    // stays the one that starts, whichever copy ran last. One the user
    // changed in any way (switched off, edited) stays theirs.
    const QString entry = autostartEntryPath(folder, program);
    const QString named = DesktopEntry(entry).command({}).value(0);
    QFile file(entry);
    const bool moved = !named.isEmpty() && named != program && !QFileInfo::exists(named)
        && file.open(QIODevice::ReadOnly) && file.readAll() == autostartEntry(named);

    if (!writeAutostartEntry(folder, program, moved))
        qWarning("Zarvel: no autostart entry could be written in %s.", qUtf8Printable(folder));
}

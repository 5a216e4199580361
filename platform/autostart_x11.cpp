#include "platform/autostartentry.h"
#include "platform/platform_x11.h"

#include <QCoreApplication>
#include <QStandardPaths>

void X11Platform::createAutostartEntry()
{
    // GenericConfigLocation is $XDG_CONFIG_HOME, or ~/.config without it.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1String("/autostart");
    if (!writeAutostartEntry(folder, QCoreApplication::applicationFilePath()))
        qWarning("Zarvel: no autostart entry could be written in %s.", qUtf8Printable(folder));
}

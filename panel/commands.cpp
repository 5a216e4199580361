#include "panel/commands.h"

#include "platform/commandchannel.h"

#include <QDir>
#include <QHash>
#include <QStandardPaths>

QString commandSocketName()
{
    // The runtime folder is the user's own (0700); on Windows the name is
    // a pipe name, which holds the user's folder too. Qt gives no runtime
    // folder when the one set has the wrong owner or permissions: then a
    // name of this user's home in the temporary folder, which the server
    // opens to this user only.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QLatin1Char('/') + QLatin1String(commandSocketFile);
    return QStringLiteral("zarvel-%1").arg(qHash(QDir::homePath()), 0, 16);
}

QString panelHostSocketName()
{
    return commandSocketName() + QStringLiteral(".panel");
}

QByteArray sendCommand(const QByteArray &request, const QString &socketName)
{
    return askCommandServer(socketName, request);
}

void postCommand(const QByteArray &request, const QString &socketName)
{
    tellCommandServer(socketName, request);
}

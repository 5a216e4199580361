#include "panel/commands.h"

#include <QDir>
#include <QHash>
#include <QLocalSocket>
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
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(2000))
        return QByteArray();
    socket.write(request + '\n');
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    return answer.endsWith('\n') ? answer.chopped(1) : QByteArray();
}

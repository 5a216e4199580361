#include "panel/commands.h"

#include <QLocalSocket>
#include <QStandardPaths>

QString commandSocketName()
{
    // The runtime folder is the user's own (0700); on Windows the name is
    // a pipe name, which holds the user's folder too.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/zarvel.socket");
}

QByteArray sendCommand(const QByteArray &request)
{
    QLocalSocket socket;
    socket.connectToServer(commandSocketName());
    if (!socket.waitForConnected(2000))
        return QByteArray();
    socket.write(request + '\n');
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    return answer.endsWith('\n') ? answer.chopped(1) : QByteArray();
}

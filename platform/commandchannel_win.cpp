#include "platform/commandchannel.h"

#include <QDir>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

QString commandChannelName(const QString &file, QString *error)
{
    // A pipe name, which holds the user's folder; QLocalServer opens it to
    // this user only.
    if (error)
        error->clear();
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime + QLatin1Char('/') + file;
    return QStringLiteral("zarvel-%1-%2").arg(qHash(QDir::homePath()), 0, 16).arg(file);
}

bool claimCommandName(const QString &name)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    return !socket.waitForConnected(2000);
}

struct CommandServer::Private {
    QLocalServer *server = nullptr;
};

CommandServer::CommandServer(const QString &name, Answerer answerer, QObject *parent)
    : QObject(parent)
    , d(new Private)
{
    d->server = new QLocalServer(this);
    d->server->setSocketOptions(QLocalServer::UserAccessOption);
    // A name left by a Zarvel that crashed answers nobody: take it over.
    if (!d->server->listen(name)) {
        QLocalServer::removeServer(name);
        d->server->listen(name);
    }
    connect(d->server, &QLocalServer::newConnection, this, [this, answerer] {
        while (QLocalSocket *client = d->server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            const auto answer = [answerer, client] {
                if (!client->canReadLine())
                    return;
                client->write(answerer(client->readLine().trimmed()) + '\n');
                client->disconnectFromServer();
            };
            connect(client, &QLocalSocket::readyRead, client, answer);
            // The request may have come with the connection.
            answer();
        }
    });
}

CommandServer::~CommandServer() = default;

QString CommandServer::error() const
{
    return d->server->isListening() ? QString() : d->server->errorString();
}

void CommandServer::close()
{
    d->server->close();
}

QByteArray askCommandServer(const QString &name, const QByteArray &request, CommandReply *reply)
{
    CommandReply ignored;
    CommandReply &said = reply ? *reply : ignored;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000)) {
        said = socket.error() == QLocalSocket::SocketTimeoutError ? CommandReply::NotAnswering
                                                                  : CommandReply::NotRunning;
        return QByteArray();
    }
    socket.write(request + '\n');
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    said = answer.endsWith('\n') ? CommandReply::Answered : CommandReply::NotAnswering;
    return answer.endsWith('\n') ? answer.chopped(1) : QByteArray();
}

void tellCommandServer(const QString &name, const QByteArray &request)
{
    // Deletes itself once the server has hung up, or could not be reached.
    auto *socket = new QLocalSocket;
    QObject::connect(socket, &QLocalSocket::connected, socket, [socket, request] { socket->write(request + '\n'); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::errorOccurred, socket, &QObject::deleteLater);
    socket->connectToServer(name);
}

#include "panel/commands.h"

#include "platform/commandchannel.h"

#include <QElapsedTimer>
#include <QThread>

QString commandSocketName()
{
    return commandChannelName(QLatin1String(commandSocketFile));
}

QString panelHostSocketName()
{
    const QString name = commandSocketName();
    return name.isEmpty() ? name : name + QStringLiteral(".panel");
}

QByteArray sendCommand(const QByteArray &request, const QString &socketName)
{
    return askCommandServer(socketName, request);
}

void postCommand(const QByteArray &request, const QString &socketName)
{
    tellCommandServer(socketName, request);
}

QString claimOneZarvel()
{
    QString error;
    const QString name = commandChannelName(QLatin1String(commandSocketFile), &error);
    if (name.isEmpty())
        return QStringLiteral("Zarvel cannot start: %1.").arg(error);
    // One that holds the claim but does not listen is starting, or ending
    // to hand over to its updater: it gets a few seconds to do either.
    QElapsedTimer waited;
    waited.start();
    while (!claimCommandName(name)) {
        CommandReply reply = CommandReply::NotRunning;
        askCommandServer(name, pingRequest, &reply);
        if (reply == CommandReply::Answered)
            return QStringLiteral("Zarvel already runs; Zarvel --show opens its panel.");
        if (reply == CommandReply::NotAnswering || waited.hasExpired(5000))
            return QStringLiteral("Zarvel already runs but does not answer; end it to start another one.");
        QThread::msleep(100);
    }
    return QString();
}

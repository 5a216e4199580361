#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// A local channel only this user can open, named as QLocalServer names
// them: one request a connection, one line each way. On Windows a named
// pipe through Qt Network; elsewhere a Unix socket of its own, since Qt
// Network would bring its libraries (Kerberos among them) into memory for
// a few bytes a day.
class CommandServer : public QObject {
public:
    using Answerer = std::function<QByteArray(const QByteArray &request)>;
    // Listens at once; a socket left by a process that died is taken over.
    CommandServer(const QString &name, Answerer answerer, QObject *parent);
    ~CommandServer() override;
    // Empty while listening.
    QString error() const;
    // Stops answering and frees the name, as for the next Zarvel.
    void close();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Sends `request` to the server and waits for its answer (without its line
// end); null when none listens or none answers within a few seconds.
QByteArray askCommandServer(const QString &name, const QByteArray &request);
// Sends `request` and goes on at once: the answer is left unread.
void tellCommandServer(const QString &name, const QByteArray &request);

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

// The name of this user's channel `file`: on Linux a path in a folder only
// the user can enter (the runtime folder, else one of the user's own), on
// Windows a pipe name that holds the user's folder. Empty, with the reason
// in `error`, when there is no such folder.
QString commandChannelName(const QString &file, QString *error = nullptr);

// Claims `name` for this process, for the rest of its life or until a
// CommandServer on that name closes: false while another process holds it.
// On Linux a lock on a file beside the socket, which a process that hangs
// still holds; on Windows whether a server takes connections on the name.
bool claimCommandName(const QString &name);

class CommandServer : public QObject {
public:
    using Answerer = std::function<QByteArray(const QByteArray &request)>;
    // Listens at once; a socket left by a process that died is taken over.
    // Only this user's processes are heard; a client that says nothing for a
    // second or two is dropped, and clients beyond a few dozen at once wait
    // their turn, so that no local process can keep the others out.
    CommandServer(const QString &name, Answerer answerer, QObject *parent);
    ~CommandServer() override;
    // Empty while listening.
    QString error() const;
    // Stops answering and frees the name and its claim, as for the next Zarvel.
    void close();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

enum class CommandReply {
    Answered,
    NotRunning, // nobody listens on the name
    NotAnswering, // a server is there but took no connection or gave no answer in time
};

// Sends `request` to the server and waits, a few seconds at most in all, for
// its answer (without its line end); null when none came, and `reply` says
// why.
QByteArray askCommandServer(const QString &name, const QByteArray &request, CommandReply *reply = nullptr);
// Sends `request` and goes on at once: the answer is left unread.
void tellCommandServer(const QString &name, const QByteArray &request);

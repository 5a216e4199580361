#include "platform/commandchannel.h"
#include "platform/unixsocket.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A client is dropped after this long without a request line, and no more
// than this many are served at once; the others wait in the listen queue.
const int idleMs = 1500;
const int maxClients = 32;
// The program's own questions (the one-instance ping, the panel's host) wait
// this long in all for the answer; `Zarvel --show` waits longer
// (launcher.cpp), as its answer may wait for the panel's host.
const int answerWaitMs = 3000;

// The one-instance lock this process holds for its life, and its file.
int claimed = -1;
QByteArray claimedLock;

QByteArray lockPath(const QByteArray &socketPath)
{
    return socketPath + ".lock";
}

bool sendLine(int fd, const QByteArray &line)
{
    const QByteArray bytes = line + '\n';
    return send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT) == bytes.size();
}

// One connection: its request line in, the answer out, closed; or closed
// unanswered when it says nothing in time or talks without end.
class Client : public QObject {
public:
    Client(int fd, const CommandServer::Answerer &answerer, const std::function<void()> &gone, QObject *parent)
        : QObject(parent)
        , m_fd(fd)
        , m_readable(fd, QSocketNotifier::Read, this)
        , m_answerer(answerer)
        , m_gone(gone)
    {
        connect(&m_readable, &QSocketNotifier::activated, this, &Client::readRequest);
        // A request that came while the event loop was held up is still
        // answered: the time-out reads what is there first.
        QTimer::singleShot(idleMs, this, [this] {
            readRequest();
            end();
        });
    }
    ~Client() override
    {
        m_readable.setEnabled(false);
        ::close(m_fd);
        m_gone();
    }

private:
    void readRequest()
    {
        if (!m_readable.isEnabled())
            return;
        char buffer[512];
        ssize_t got;
        while ((got = read(m_fd, buffer, sizeof buffer)) > 0 && m_request.size() < 64 * 1024)
            m_request.append(buffer, int(got));
        const int end = m_request.indexOf('\n');
        if (end >= 0)
            sendLine(m_fd, m_answerer(m_request.left(end).trimmed()));
        // Answered, gone, or talking without end.
        if (end >= 0 || got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR) || m_request.size() >= 64 * 1024)
            this->end();
    }
    void end()
    {
        m_readable.setEnabled(false);
        deleteLater();
    }

    int m_fd;
    QSocketNotifier m_readable;
    CommandServer::Answerer m_answerer;
    std::function<void()> m_gone;
    QByteArray m_request;
};

} // namespace

QString commandChannelName(const QString &file, QString *error)
{
    std::string why;
    const std::string folder = commandFolder(&why);
    if (error)
        *error = QString::fromStdString(why);
    return folder.empty() ? QString() : QFile::decodeName(folder.c_str()) + QLatin1Char('/') + file;
}

bool claimCommandName(const QString &name)
{
    const QByteArray path = lockPath(QFile::encodeName(name));
    const int fd = open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        qWarning("Zarvel: %s: %s", path.constData(), std::strerror(errno));
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        if (!held)
            qWarning("Zarvel: %s: %s", path.constData(), std::strerror(errno));
        ::close(fd);
        return !held;
    }
    claimed = fd;
    claimedLock = path;
    return true;
}

struct CommandServer::Private {
    int fd = -1;
    QSocketNotifier *incoming = nullptr;
    QTimer *retry = nullptr; // accepting again after running out of descriptors
    int clients = 0;
    QByteArray path;
    QString error;
    Answerer answerer;
    // The clients' parent, last so that they go first, while the rest of
    // this is still there for them to report to.
    QObject clientParent;

    void accept();
};

// Takes the waiting connections, as many as may be served at once. Out of
// descriptors, the listening socket stays readable, and a notifier that
// kept firing would spin: accepting pauses until a client goes or the
// retry timer fires.
void CommandServer::Private::accept()
{
    if (fd < 0)
        return;
    incoming->setEnabled(false);
    while (clients < maxClients) {
        const int client = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0 && (errno == EINTR || errno == ECONNABORTED))
            continue;
        if (client < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                incoming->setEnabled(true);
            else
                retry->start();
            return;
        }
        if (!peerIsThisUser(client)) {
            ::close(client);
            continue;
        }
        ++clients;
        new Client(
            client, answerer,
            [this] {
                --clients;
                if (fd >= 0 && !incoming->isEnabled())
                    accept();
            },
            &clientParent);
    }
}

CommandServer::CommandServer(const QString &name, Answerer answerer, QObject *parent)
    : QObject(parent)
    , d(new Private)
{
    d->answerer = std::move(answerer);
    d->path = QFile::encodeName(name);
    const auto fail = [this](const char *what) {
        d->error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        if (d->fd >= 0)
            ::close(d->fd);
        d->fd = -1;
    };
    if (name.isEmpty()) {
        d->error = QStringLiteral("no folder for the command socket");
        return;
    }
    // The folder is this user's alone, and the name is claimed by one
    // process (claimCommandName): a socket already there was left by a
    // Zarvel that died.
    const UnixAddress address(d->path.toStdString());
    unlink(d->path.constData());
    d->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (d->fd < 0 || !address.isValid())
        fail("socket");
    else if (bind(d->fd, address.get(), address.size()) != 0)
        fail("bind");
    else if (chmod(d->path.constData(), S_IRUSR | S_IWUSR) != 0)
        fail("chmod");
    else if (listen(d->fd, 16) != 0)
        fail("listen");
    if (d->fd < 0)
        return;
    d->incoming = new QSocketNotifier(d->fd, QSocketNotifier::Read, this);
    d->retry = new QTimer(this);
    d->retry->setSingleShot(true);
    d->retry->setInterval(500);
    connect(d->incoming, &QSocketNotifier::activated, this, [this] { d->accept(); });
    connect(d->retry, &QTimer::timeout, this, [this] { d->accept(); });
}

CommandServer::~CommandServer()
{
    close();
}

QString CommandServer::error() const
{
    return d->error;
}

void CommandServer::close()
{
    if (d->fd >= 0) {
        delete d->incoming;
        d->incoming = nullptr;
        ::close(d->fd);
        d->fd = -1;
        unlink(d->path.constData());
    }
    if (claimed >= 0 && claimedLock == lockPath(d->path)) {
        ::close(claimed);
        claimed = -1;
    }
}

QByteArray askCommandServer(const QString &name, const QByteArray &request, CommandReply *reply)
{
    std::string answer;
    const SocketReply got
        = askUnixSocket(QFile::encodeName(name).toStdString(), request.toStdString(), answerWaitMs, &answer);
    if (reply)
        *reply = got == SocketReply::Answered ? CommandReply::Answered
            : got == SocketReply::NotRunning  ? CommandReply::NotRunning
                                              : CommandReply::NotAnswering;
    return got == SocketReply::Answered ? QByteArray::fromStdString(answer) : QByteArray();
}

void tellCommandServer(const QString &name, const QByteArray &request)
{
    std::string unread;
    askUnixSocket(QFile::encodeName(name).toStdString(), request.toStdString(), 0, &unread);
}

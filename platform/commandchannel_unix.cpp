#include "platform/commandchannel.h"
#include "platform/unixsocket.h"

#include <QDir>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Where QLocalServer puts a name without a folder.
QByteArray socketPath(const QString &name)
{
    return QFile::encodeName(name.contains(QLatin1Char('/')) ? name : QDir::tempPath() + QLatin1Char('/') + name);
}

bool sendLine(int fd, const QByteArray &line)
{
    const QByteArray bytes = line + '\n';
    return send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

// One connection: its request line in, the answer out, closed.
class Client : public QObject {
public:
    Client(int fd, const CommandServer::Answerer &answerer, QObject *parent)
        : QObject(parent)
        , m_fd(fd)
        , m_readable(fd, QSocketNotifier::Read, this)
    {
        connect(&m_readable, &QSocketNotifier::activated, this, [this, answerer] {
            char buffer[512];
            ssize_t got;
            while ((got = read(m_fd, buffer, sizeof buffer)) > 0 && m_request.size() < 64 * 1024)
                m_request.append(buffer, int(got));
            const int end = m_request.indexOf('\n');
            if (end >= 0)
                sendLine(m_fd, answerer(m_request.left(end).trimmed()));
            // Answered, gone, or talking without end.
            if (end >= 0 || got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)
                || m_request.size() >= 64 * 1024) {
                m_readable.setEnabled(false);
                deleteLater();
            }
        });
    }
    ~Client() override
    {
        m_readable.setEnabled(false);
        close(m_fd);
    }

private:
    int m_fd;
    QSocketNotifier m_readable;
    QByteArray m_request;
};

} // namespace

struct CommandServer::Private {
    int fd = -1;
    QSocketNotifier *incoming = nullptr;
    QByteArray path;
    QString error;
};

CommandServer::CommandServer(const QString &name, Answerer answerer, QObject *parent)
    : QObject(parent)
    , d(new Private)
{
    d->path = socketPath(name);
    const auto fail = [this](const char *what) {
        d->error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        if (d->fd >= 0)
            ::close(d->fd);
        d->fd = -1;
    };
    // Made in a folder of its own, closed to others, and moved into place:
    // no other user can reach it in between, and a socket left by a Zarvel
    // that died is replaced in one step.
    QByteArray folder = d->path + ".XXXXXX";
    if (!mkdtemp(folder.data())) {
        fail("mkdtemp");
        return;
    }
    const QByteArray made = folder + "/s";
    sockaddr_un address;
    d->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (d->fd < 0 || !unixAddress(made.toStdString(), &address))
        fail("socket");
    else if (bind(d->fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        fail("bind");
    else if (chmod(made.constData(), S_IRUSR | S_IWUSR) != 0 || rename(made.constData(), d->path.constData()) != 0)
        fail("rename");
    else if (listen(d->fd, 16) != 0)
        fail("listen");
    unlink(made.constData());
    rmdir(folder.constData());
    if (d->fd < 0)
        return;
    d->incoming = new QSocketNotifier(d->fd, QSocketNotifier::Read, this);
    connect(d->incoming, &QSocketNotifier::activated, this, [this, answerer] {
        int client;
        while (d->fd >= 0 && (client = accept4(d->fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0)
            new Client(client, answerer, this);
    });
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
    if (d->fd < 0)
        return;
    delete d->incoming;
    d->incoming = nullptr;
    ::close(d->fd);
    d->fd = -1;
    unlink(d->path.constData());
}

QByteArray askCommandServer(const QString &name, const QByteArray &request)
{
    std::string answer;
    return askUnixSocket(socketPath(name).toStdString(), request.toStdString(), 5000, &answer)
        ? QByteArray::fromStdString(answer)
        : QByteArray();
}

void tellCommandServer(const QString &name, const QByteArray &request)
{
    std::string unread;
    askUnixSocket(socketPath(name).toStdString(), request.toStdString(), 0, &unread);
}

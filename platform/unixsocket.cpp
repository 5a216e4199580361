#include "platform/unixsocket.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

std::string commandFolder(std::string *error)
{
    struct stat info;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
        && (info.st_mode & 077) == 0)
        return runtime;
    const char *cache = std::getenv("XDG_CACHE_HOME");
    const char *home = std::getenv("HOME");
    std::string base;
    if (cache && *cache == '/')
        base = cache;
    else if (home && *home == '/')
        base = std::string(home) + "/.cache";
    if (base.empty()) {
        *error = "neither $XDG_RUNTIME_DIR nor $HOME names a folder of yours";
        return std::string();
    }
    const std::string folder = base + "/zarvel";
    mkdir(base.c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    // Looked at without following a link, and through the folder itself
    // once open: what is checked is what gets closed.
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const bool own = fd >= 0 && fstat(fd, &info) == 0 && info.st_uid == geteuid()
        && ((info.st_mode & 077) == 0 || fchmod(fd, 0700) == 0);
    if (!own) {
        const bool there = fd >= 0 || errno == ENOTDIR || errno == ELOOP;
        *error = folder
            + (there ? std::string(" is a link, a file or another user's folder")
                     : ": " + std::string(std::strerror(errno)))
            + "; the socket needs a folder only you can enter ($XDG_RUNTIME_DIR is unset or open to others)";
    }
    if (fd >= 0)
        close(fd);
    return own ? folder : std::string();
}

UnixAddress::UnixAddress(const std::string &path)
{
    m_address.sun_family = AF_UNIX;
    std::string name = path;
    if (path.size() >= sizeof m_address.sun_path) {
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash == 0)
            return;
        m_folder = open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (m_folder < 0)
            return;
        name = "/proc/self/fd/" + std::to_string(m_folder) + path.substr(slash);
    }
    if (name.size() >= sizeof m_address.sun_path)
        return;
    std::memcpy(m_address.sun_path, name.c_str(), name.size() + 1);
    m_valid = true;
}

UnixAddress::~UnixAddress()
{
    if (m_folder >= 0)
        close(m_folder);
}

bool peerIsThisUser(int fd)
{
    ucred peer = {};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

SocketReply askUnixSocket(const std::string &path, const std::string &request, int waitMs, std::string *answer)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(waitMs);
    const UnixAddress address(path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (waitMs > 0 ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0 || !address.isValid()) {
        if (fd >= 0)
            close(fd);
        return SocketReply::NotRunning;
    }
    // A Unix socket's connect waits for room in the listener's queue, which
    // a stopped or flooded Zarvel never makes. A non-blocking connect fails
    // at once then, and poll() has no way to wait for room: the send time-out
    // bounds the kernel's own wait instead.
    const timeval limit = { waitMs / 1000, (waitMs % 1000) * 1000 };
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    SocketReply reply = SocketReply::NotAnswering;
    std::string got;
    const std::string line = request + '\n';
    if (connect(fd, address.get(), address.size()) != 0) {
        if (errno != EAGAIN && errno != EINTR)
            reply = SocketReply::NotRunning; // no socket there, or one nobody listens on
    } else if (!peerIsThisUser(fd)) {
        reply = SocketReply::NotRunning;
    } else if (send(fd, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size())) {
        char buffer[512];
        while (got.find('\n') == std::string::npos && got.size() < 64 * 1024) {
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
            pollfd readable = { fd, POLLIN, 0 };
            if (left <= 0 || poll(&readable, 1, int(left)) <= 0)
                break;
            const ssize_t read = ::read(fd, buffer, sizeof buffer);
            if (read <= 0)
                break;
            got.append(buffer, size_t(read));
        }
    }
    close(fd);
    const size_t end = got.find('\n');
    if (end == std::string::npos)
        return reply;
    *answer = got.substr(0, end);
    return SocketReply::Answered;
}

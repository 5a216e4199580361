#include "platform/unixsocket.h"

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

bool unixAddress(const std::string &path, sockaddr_un *address)
{
    *address = {};
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool askUnixSocket(const std::string &path, const std::string &request, int waitMs, std::string *answer)
{
    sockaddr_un address;
    if (!unixAddress(path, &address))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    std::string got;
    const std::string line = request + '\n';
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0
        && send(fd, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size())) {
        pollfd readable = { fd, POLLIN, 0 };
        char buffer[512];
        ssize_t read = 0;
        while (got.find('\n') == std::string::npos && poll(&readable, 1, waitMs) > 0
            && (read = ::read(fd, buffer, sizeof buffer)) > 0)
            got.append(buffer, size_t(read));
    }
    close(fd);
    const size_t end = got.find('\n');
    if (end == std::string::npos)
        return false;
    *answer = got.substr(0, end);
    return true;
}

#pragma once

#include <string>
#include <sys/socket.h>
#include <sys/un.h>

// The command socket on Linux, free of Qt: the launcher speaks it before any
// Qt library is loaded, and the program through platform/commandchannel.h.

// The folder of this user's command socket and one-instance lock: the
// runtime folder ($XDG_RUNTIME_DIR) when it is the user's own and closed to
// others, else $XDG_CACHE_HOME/zarvel (~/.cache/zarvel), made 0700 when
// missing. Never a name in a shared folder, which another user could take
// first. Empty, with the reason in `error`, when the folder found is a link,
// someone else's or cannot be made.
std::string commandFolder(std::string *error);

// A socket address for `path`. A path too long for sun_path is reached
// through its folder, held open for the address's life
// (/proc/self/fd/<folder>/<name>), so a deep runtime folder works too.
class UnixAddress {
public:
    explicit UnixAddress(const std::string &path);
    ~UnixAddress();
    UnixAddress(const UnixAddress &) = delete;
    UnixAddress &operator=(const UnixAddress &) = delete;
    bool isValid() const { return m_valid; }
    const sockaddr *get() const { return reinterpret_cast<const sockaddr *>(&m_address); }
    socklen_t size() const { return sizeof m_address; }

private:
    sockaddr_un m_address = {};
    int m_folder = -1;
    bool m_valid = false;
};

// Whether the process at the other end of the connected socket `fd` runs as
// this user: a socket of anyone else is no Zarvel of ours.
bool peerIsThisUser(int fd);

enum class SocketReply {
    Answered,
    NotRunning, // nothing listens there, or a process of another user
    NotAnswering, // it listens, but took no connection or gave no answer in time
};

// Sends `request` and a line end over the socket at `path` and waits for one
// line back, the connection included, for `waitMs` in all; with 0 it waits
// for nothing and leaves any answer unread. The line, without its end, goes
// to `answer`.
SocketReply askUnixSocket(const std::string &path, const std::string &request, int waitMs, std::string *answer);

#pragma once

#include <string>
#include <sys/un.h>

// The client side of the command socket on Linux, free of Qt: the launcher
// speaks it before any Qt library is loaded, and the program through
// platform/commandchannel.h.

// `path` as a socket address; false when it is too long for one.
bool unixAddress(const std::string &path, sockaddr_un *address);

// Sends `request` and a line end over the socket at `path`, then waits up to
// `waitMs` for one line back. True with that line, without its end, in
// `answer`; false when nothing listens there or no line came in time.
bool askUnixSocket(const std::string &path, const std::string &request, int waitMs, std::string *answer);

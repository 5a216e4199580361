// The Zarvel program on Linux: a launcher that loads no Qt library, and
// libzarvel beside it, the program itself. `Zarvel --show` is what hotkey
// tools start at every press, and loading Qt's libraries alone takes longer
// than the panel takes to appear, so the launcher asks the running Zarvel
// itself, and it answers --help and a wrong option as well; anything else
// runs the program from the library.
#include "app/commandline.h"
#include "panel/commandwords.h"
#include "platform/unixsocket.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>

// Asks the running Zarvel to show its panel, over its socket in the user's
// private folder; its exit code. The wait is longer than the one Zarvel
// gives its panel's host on the way.
static int showRunningPanel()
{
    std::string error;
    const std::string folder = commandFolder(&error);
    if (folder.empty()) {
        std::fprintf(stderr, "Zarvel: %s.\n", error.c_str());
        return notRunningExit;
    }
    std::string answer;
    switch (askUnixSocket(folder + '/' + commandSocketFile, showWord, 4000, &answer)) {
    case SocketReply::Answered:
        if (answer == shownWord)
            return 0;
        std::fprintf(stderr, notShownText, printableAnswer(answer).c_str());
        return notShownExit;
    case SocketReply::NotRunning:
        std::fputs(notRunningText, stderr);
        return notRunningExit;
    case SocketReply::NotAnswering:
        break;
    }
    std::fputs(notAnsweringText, stderr);
    return notAnsweringExit;
}

int main(int argc, char *argv[])
{
    bool show = false;
    const int ended = commandLineExit(argc, argv, &show);
    if (ended >= 0)
        return ended;
    if (show)
        return showRunningPanel();
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        std::perror("Zarvel: /proc/self/exe");
        return 127;
    }
    std::string library(self, size_t(length));
    library = library.substr(0, library.rfind('/') + 1) + "libzarvel.so";
    void *program = dlopen(library.c_str(), RTLD_NOW);
    auto *run = program ? reinterpret_cast<int (*)(int, char **)>(dlsym(program, "zarvelMain")) : nullptr;
    if (!run) {
        std::fprintf(stderr, "Zarvel: %s\n", dlerror());
        return 127;
    }
    return run(argc, argv);
}

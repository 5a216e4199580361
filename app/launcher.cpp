// The Zarvel program on Linux: a launcher that loads no Qt library, and
// libzarvel beside it, the program itself. `Zarvel --show` is what hotkey
// tools start at every press, and loading Qt's libraries alone takes longer
// than the panel takes to appear, so the launcher asks the running Zarvel
// itself when it can; anything else runs the program from the library.
#include "panel/commandwords.h"
#include "platform/unixsocket.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Asks the running Zarvel to show its panel, over its socket in the user's
// runtime folder, where Qt puts it when the folder is the user's own and
// closed to others. Its exit code; -1 when it cannot tell, which leaves the
// request, and what to say about it, to the program.
static int showRunningPanel()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat folder;
    if (!runtime || *runtime != '/' || stat(runtime, &folder) != 0 || !S_ISDIR(folder.st_mode)
        || folder.st_uid != getuid() || (folder.st_mode & 0777) != 0700)
        return -1;
    std::string answer;
    if (!askUnixSocket(std::string(runtime) + '/' + commandSocketFile, showWord, 5000, &answer))
        return -1;
    if (answer == shownWord)
        return 0;
    std::fprintf(stderr, "Zarvel did not show its panel: %s\n", answer.c_str());
    return 2;
}

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--show") == 0) {
        const int shown = showRunningPanel();
        if (shown >= 0)
            return shown;
    }
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

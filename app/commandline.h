#pragma once

#include <cstdio>
#include <cstring>

// The command line, free of Qt: the Linux launcher reads it before any Qt
// library is loaded, and main() reads it again where there is no launcher
// (Windows), before the application object exists, so that a mistyped
// option never starts a second tray.
inline constexpr char usageText[] = "Usage: Zarvel [-checkupdate] [--no-poll]\n"
                                    "       Zarvel --show\n"
                                    "       Zarvel --help\n"
                                    "\n"
                                    "A pop-up launcher: hold Alt and press the right mouse button anywhere for\n"
                                    "a panel of buttons at the pointer.\n"
                                    "\n"
                                    "  -checkupdate  the normal run; without it an updater beside Zarvel, if\n"
                                    "                there is one, runs first and starts Zarvel again\n"
                                    "  --no-poll     act on the chord as the X server reports it instead of\n"
                                    "                looking at the mouse every 10 ms (X11 only)\n"
                                    "  --show        ask the running Zarvel to show its panel at the pointer\n"
                                    "                and return at once; exit status 1 when no Zarvel runs,\n"
                                    "                2 when the panel was not shown, 3 when it does not answer\n"
                                    "  -h, --help    print this text and exit\n"
                                    "\n"
                                    "Qt's own options (-platform, -display, -style, ...) go to Qt.\n"
#ifdef _WIN32
                                    "The buttons are kept in %APPDATA%\\Zarvel\\buttons.json.\n";
#else
                                    "The buttons are kept in ~/.local/share/Zarvel/buttons.json.\n";
#endif
inline constexpr char usageHint[] = "Try 'Zarvel --help' for the options.\n";
inline constexpr int wrongUsageExit = 2;

enum class CommandLine { Run, Show, Help, Wrong };

// Whether `argument` is one of the options Qt reads itself (also written
// with two dashes), and then whether its value is the next argument.
inline bool isQtOption(const char *argument, bool *takesValue)
{
    static const char *const withValue[]
        = { "platform", "platformpluginpath", "platformtheme", "plugin", "display", "style", "stylesheet", "session",
              "name", "title", "geometry", "icon", "qwindowgeometry", "qwindowtitle", "qwindowicon" };
    static const char *const flags[] = { "reverse", "widgetcount", "nograb", "dograb", "sync" };
    if (argument[0] != '-')
        return false;
    const char *name = argument + (argument[1] == '-' ? 2 : 1);
    const char *equals = std::strchr(name, '=');
    const size_t length = equals ? size_t(equals - name) : std::strlen(name);
    *takesValue = false;
    for (const char *option : flags)
        if (!equals && std::strcmp(name, option) == 0)
            return true;
    *takesValue = !equals;
    for (const char *option : withValue)
        if (std::strlen(option) == length && std::strncmp(name, option, length) == 0)
            return true;
    *takesValue = false;
    return false;
}

// What the arguments ask for. Wrong ones are said on the error output.
inline CommandLine readCommandLine(int argc, char *argv[])
{
    bool show = false;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        bool takesValue = false;
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)
            return CommandLine::Help;
        if (std::strcmp(argument, "--show") == 0) {
            show = true;
            continue;
        }
        if (std::strcmp(argument, "-checkupdate") == 0 || std::strcmp(argument, "--no-poll") == 0)
            continue;
        if (isQtOption(argument, &takesValue) && (!takesValue || ++i < argc))
            continue;
        if (takesValue)
            std::fprintf(stderr, "Zarvel: option '%s' needs a value.\n%s", argument, usageHint);
        else
            std::fprintf(stderr, "Zarvel: %s '%s'.\n%s", argument[0] == '-' ? "unknown option" : "unexpected argument",
                argument, usageHint);
        return CommandLine::Wrong;
    }
    if (show && argc > 2) {
        std::fprintf(stderr, "Zarvel: --show takes no other arguments.\n%s", usageHint);
        return CommandLine::Wrong;
    }
    return show ? CommandLine::Show : CommandLine::Run;
}

// The exit status when the command line ends the program here (--help, or
// a wrong one), -1 when it goes on; `show` tells whether it asks for --show.
inline int commandLineExit(int argc, char *argv[], bool *show)
{
    const CommandLine line = readCommandLine(argc, argv);
    *show = line == CommandLine::Show;
    if (line == CommandLine::Help)
        std::fputs(usageText, stdout);
    return line == CommandLine::Help ? 0 : line == CommandLine::Wrong ? wrongUsageExit : -1;
}

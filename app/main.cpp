#include "app/commandline.h"
#include "app/config.h"
#include "app/style.h"
#include "panel/commands.h"
#include "panel/mainwindow.h"
#include "platform/commandchannel.h"
#include "platform/environment.h"
#include "platform/freedmemory.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <vector>

// `Zarvel --show`: asks the running Zarvel to show its panel at the
// pointer, for hotkey tools and compositor bindings, and returns at once.
// On Linux the launcher (launcher.cpp) answers it before Qt is loaded.
static int showRunningPanel(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    CommandReply reply = CommandReply::NotRunning;
    const QByteArray answer = askCommandServer(commandSocketName(), showRequest, &reply);
    if (answer == shownAnswer)
        return 0;
    if (reply == CommandReply::Answered) {
        std::fprintf(stderr, notShownText, printableAnswer(answer.toStdString()).c_str());
        return notShownExit;
    }
    const bool running = reply == CommandReply::NotAnswering;
    std::fputs(running ? notAnsweringText : notRunningText, stderr);
    return running ? notAnsweringExit : notRunningExit;
}

// A Wayland session without XWayland names no X display, and Qt's default
// X11 platform would abort there: then the tray and the dialogs are Wayland
// windows. Chosen by an argument, which only this process reads, and not in
// the environment, which every program Zarvel starts would inherit; a
// platform the user chose is kept.
static std::vector<char *> withPlatform(int argc, char *argv[])
{
    static char option[] = "-platform";
    static char wayland[] = "wayland";
    std::vector<char *> arguments(argv, argv + argc);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        arguments.insert(arguments.end(), { option, wayland });
    arguments.push_back(nullptr);
    return arguments;
}

// On Linux the program is a library that the launcher (launcher.cpp) loads
// and runs; elsewhere this is main().
#ifdef ZARVEL_LAUNCHED
extern "C" __attribute__((visibility("default"))) int zarvelMain(int argc, char *argv[])
#else
int main(int argc, char *argv[])
#endif
{
    keepFreedMemoryReturnable();
    bool show = false;
    const int ended = commandLineExit(argc, argv, &show);
    if (ended >= 0)
        return ended;
    if (show)
        return showRunningPanel(argc, argv);

    // Zarvel draws no OpenGL, so it spares itself the memory of the xcb GL
    // integration. The programs it starts get the variable as Zarvel was
    // given it.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        setOwnVariable("QT_XCB_GL_INTEGRATION", "none");

    std::vector<char *> platformArguments = withPlatform(argc, argv);
    int platformArgumentCount = int(platformArguments.size()) - 1;
    QApplication a(platformArgumentCount, platformArguments.data());
    QGuiApplication::setQuitOnLastWindowClosed(false);
    useOwnFusion();

    // One Zarvel a user: a second one would add a second tray icon and a
    // second trigger over the same file.
    const QString refusal = claimOneZarvel();
    if (!refusal.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(refusal));
        return 1;
    }

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        firstArgument = arguments.at(1);

    MainWindow w(!arguments.contains(QStringLiteral("--no-poll")));
    w.show();
    w.hide();
    return a.exec();
}

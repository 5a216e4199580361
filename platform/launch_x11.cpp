#include "platform/desktopentry.h"
#include "platform/platform_x11.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

// No stored path ever reaches a shell here. The stored text is split with the
// same double-quote rules that the Windows build hands to cmd.exe, and the
// first word decides what happens: a program is executed directly, a desktop
// entry is started the way desktop launchers start it, and anything else
// goes to the desktop's default handler.

namespace {

Platform::StartResult started()
{
    Platform::StartResult result;
    result.started = true;
    return result;
}

Platform::StartResult failed(const QString &reason)
{
    Platform::StartResult result;
    result.error = reason;
    return result;
}

// `name` as a program to execute: a path must name an executable file, a
// bare name is looked up in PATH. Empty when there is no such program.
QString resolveProgram(const QString &name)
{
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(name);
}

// Whether the kernel can run the file itself. Documents on file systems that
// mark every file executable (a FAT stick, a Windows share) must still open
// in their application rather than fail as programs.
bool isProgramFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head.startsWith("#!")
        || head
        == QByteArray("\x7f"
                      "ELF",
            4);
}

// Starts `program` detached: it outlives Zarvel, reads nothing from Zarvel's
// input and writes where Zarvel writes. The start forks this whole process
// and waits for the exec, tens of milliseconds on a busy machine, so it runs
// on a worker thread and the click returns at once; a failure comes back
// through the event loop.
Platform::StartResult startProgram(const QString &program, const QStringList &arguments,
    const QString &workingDirectory, const Platform::LaterFailure &laterFailure)
{
    QThreadPool::globalInstance()->start([program, arguments, workingDirectory, laterFailure] {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        if (!workingDirectory.isEmpty())
            process.setWorkingDirectory(workingDirectory);
        if (process.startDetached() || !laterFailure)
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [laterFailure] { laterFailure(QStringLiteral("it could not be started")); },
            Qt::QueuedConnection);
    });
    return started();
}

// Opens a document, a folder or a URL with the application the desktop
// associates with it. gio reads the same associations as every desktop
// (mimeapps.list), starts the application detached and says at once when
// there is none; xdg-open, reached through QDesktopServices, is the fallback
// for systems without it.
Platform::StartResult openWithDefaultHandler(const QString &target, const Platform::LaterFailure &laterFailure)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty()) {
        const QUrl url = looksLikeUrl(target) ? QUrl(target) : QUrl::fromLocalFile(target);
        if (QDesktopServices::openUrl(url))
            return started();
        return failed(QStringLiteral("no application is set to open it"));
    }

    // gio answers once the application is started, or that there is none,
    // in tens of milliseconds, or never when a D-Bus activation hangs: the
    // panel does not wait for it, and its answer comes through the event
    // loop. posix_spawn borrows this process's memory until the exec, where
    // a fork would copy its page tables first, milliseconds on every click.
    QByteArray program = QFile::encodeName(gio), open("open"), dashes("--"), argument = target.toLocal8Bit();
    char *const argv[] = { program.data(), open.data(), dashes.data(), argument.data(), nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return failed(QStringLiteral("the desktop's opener could not be started"));

    const int exitFd = int(syscall(SYS_pidfd_open, pid, 0));
    if (exitFd < 0) { // a kernel before 5.3: gio is collected, its answer goes unheard
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
        return started();
    }
    auto *ended = new QSocketNotifier(exitFd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(ended, &QSocketNotifier::activated, ended, [ended, exitFd, pid, laterFailure] {
        int status = 0;
        waitpid(pid, &status, 0);
        ended->setEnabled(false);
        ::close(exitFd);
        ended->deleteLater();
        if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0) && laterFailure)
            laterFailure(QStringLiteral("no application is set to open it"));
    });
    return started();
}

Platform::StartResult startDesktopEntry(
    const QString &path, const QStringList &targets, const Platform::LaterFailure &laterFailure)
{
    const DesktopEntry entry(path);
    if (!entry.isValid())
        return failed(QStringLiteral("it is not a readable desktop entry"));

    const QString type = entry.value(QStringLiteral("Type"));
    if (type == QLatin1String("Link")) {
        const QString url = entry.value(QStringLiteral("URL"));
        return url.isEmpty() ? failed(QStringLiteral("the desktop entry names no address"))
                             : openWithDefaultHandler(url, laterFailure);
    }
    if (!type.isEmpty() && type != QLatin1String("Application"))
        return failed(QStringLiteral("the desktop entry starts no application"));

    const QString tryExec = entry.value(QStringLiteral("TryExec"));
    if (!tryExec.isEmpty() && resolveProgram(tryExec).isEmpty())
        return failed(QStringLiteral("its program is not installed"));

    QString error;
    QStringList arguments = entry.command(targets, &error);
    if (arguments.isEmpty())
        return failed(error);
    QString program = resolveProgram(arguments.takeFirst());
    if (program.isEmpty())
        return failed(QStringLiteral("its program is not installed"));

    if (entry.boolValue(QStringLiteral("Terminal"))) {
        const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        if (!terminal.isEmpty()) {
            arguments.prepend(program);
            arguments.prepend(QStringLiteral("-e"));
            program = terminal;
        }
    }

    QString workingDirectory = entry.value(QStringLiteral("Path"));
    if (!QFileInfo(workingDirectory).isDir())
        workingDirectory.clear();
    return startProgram(program, arguments, workingDirectory, laterFailure);
}

} // namespace

Platform::StartResult X11Platform::startTarget(const QString &storedPath, const LaterFailure &laterFailure)
{
    QStringList words = QProcess::splitCommand(storedPath);
    if (words.isEmpty())
        return failed(QStringLiteral("its target is blank"));
    QString target = words.takeFirst();
    QStringList arguments = words;
    // As typed in a shell: a leading ~/ is the home folder. Any other
    // relative path is taken from the folder Zarvel runs in.
    if (target.startsWith(QLatin1String("~/")))
        target = QDir::homePath() + target.mid(1);

    // A path typed without quotes around a name with blanks in it.
    if (!arguments.isEmpty() && !QFileInfo::exists(target) && QFileInfo::exists(storedPath.trimmed())) {
        target = storedPath.trimmed();
        arguments.clear();
    }

    if (looksLikeUrl(target)) {
        const QUrl url(target);
        if (!url.isLocalFile())
            return openWithDefaultHandler(target, laterFailure);
        target = url.toLocalFile();
    }

    if (!target.contains(QLatin1Char('/'))) {
        if (target.endsWith(QLatin1String(".desktop"))) {
            const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, target);
            if (!entry.isEmpty())
                return startDesktopEntry(entry, arguments, laterFailure);
        }
        const QString program = QStandardPaths::findExecutable(target);
        if (program.isEmpty())
            return failed(QStringLiteral("there is no such program"));
        return startProgram(program, arguments, {}, laterFailure);
    }

    const QFileInfo info(target);
    if (!info.exists())
        return failed(QStringLiteral("the file %1 does not exist").arg(info.absoluteFilePath()));
    if (info.isFile() && info.suffix() == QLatin1String("desktop"))
        return startDesktopEntry(info.absoluteFilePath(), arguments, laterFailure);
    if (info.isFile() && info.isExecutable() && isProgramFile(info.absoluteFilePath()))
        return startProgram(info.absoluteFilePath(), arguments, {}, laterFailure);
    return openWithDefaultHandler(info.absoluteFilePath(), laterFailure);
}

namespace {

// The icon an Icon key names: a file, or a name in the icon theme.
QIcon namedIcon(const QString &name)
{
    if (name.isEmpty())
        return QIcon();
    if (QFileInfo(name).isAbsolute())
        return QFileInfo(name).isFile() ? QIcon(name) : QIcon();
    QIcon icon = QIcon::fromTheme(name);
    // Some entries give the icon's file name ("tool.png") instead of its name.
    if (icon.isNull() && QFileInfo(name).completeBaseName() != name)
        icon = QIcon::fromTheme(QFileInfo(name).completeBaseName());
    return icon;
}

// The Icon of the installed application entries, by the program each one
// starts. Read once, the first time a button shows a program.
const QHash<QString, QString> &entryIconsByProgram()
{
    static const QHash<QString, QString> icons = [] {
        QHash<QString, QString> found;
        for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
            // Filtered by hand: a name filter is a regular expression, and
            // would bring PCRE into memory for this alone.
            QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                if (!it.next().endsWith(QLatin1String(".desktop")))
                    continue;
                const DesktopEntry entry(it.filePath());
                const QString program = QFileInfo(resolveProgram(entry.command({}).value(0))).canonicalFilePath();
                const QString icon = entry.value(QStringLiteral("Icon")).trimmed();
                if (!program.isEmpty() && !icon.isEmpty() && !found.contains(program))
                    found.insert(program, icon);
            }
        }
        return found;
    }();
    return icons;
}

} // namespace

QIcon X11Platform::applicationIcon(const QString &file)
{
    if (file.endsWith(QLatin1String(".desktop")))
        return namedIcon(DesktopEntry(file).value(QStringLiteral("Icon")).trimmed());
    // A program shows the icon of the entry that starts it, or the theme's
    // icon of its name, as a desktop's menus show it.
    const QFileInfo info(file);
    if (!info.isFile() || !info.isExecutable() || !isProgramFile(info.absoluteFilePath()))
        return QIcon();
    const QString entryIcon = entryIconsByProgram().value(info.canonicalFilePath());
    return namedIcon(entryIcon.isEmpty() ? info.fileName() : entryIcon);
}

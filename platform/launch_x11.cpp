#include "platform/desktopentry.h"
#include "platform/environment.h"
#include "platform/icontheme.h"
#include "platform/platform_x11.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// Starts `argv` in a session of its own, reading nothing from Zarvel's
// input, with the environment Zarvel was given, in `workingDirectory` when
// one is given; false when it could not start. `ended`, when given, hears
// its exit status from the event loop.
//
// posix_spawn rather than fork: the child borrows this process's memory
// until its exec, so the panel's thread never copies the pages it writes
// meanwhile. A started program stays this process's child until it ends:
// a notifier on its pidfd collects it.
bool spawn(const QStringList &argv, const QString &workingDirectory, const std::function<void(int)> &ended = {})
{
    QList<QByteArray> words;
    for (const QString &word : argv)
        words.append(QFile::encodeName(word));
    QList<QByteArray> environment = givenEnvironmentEntries();
    std::vector<char *> pointers, entries;
    for (QByteArray &word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    for (QByteArray &entry : environment)
        entries.push_back(entry.data());
    entries.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!workingDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, QFile::encodeName(workingDirectory).constData());
    // As a detached start: its own session, and no signal blocked or
    // ignored that a program would expect to have.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, pipe;
    sigemptyset(&none);
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &pipe);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, pointers.front(), &actions, &attributes, pointers.data(), entries.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    const int exitFd = int(syscall(SYS_pidfd_open, pid, 0));
    if (exitFd < 0) { // a kernel before 5.3: collected, its end goes unheard
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
        return true;
    }
    auto *ending = new QSocketNotifier(exitFd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(ending, &QSocketNotifier::activated, ending, [ending, exitFd, pid, ended] {
        int status = 0;
        waitpid(pid, &status, 0);
        ending->setEnabled(false);
        ::close(exitFd);
        ending->deleteLater();
        if (ended)
            ended(WIFEXITED(status) ? WEXITSTATUS(status) : 128);
    });
    return true;
}

Platform::StartResult startProgram(
    const QString &program, const QStringList &arguments, const QString &workingDirectory = QString())
{
    return spawn(QStringList(program) + arguments, workingDirectory)
        ? started()
        : failed(QStringLiteral("it could not be started"));
}

// Opens a document, a folder or a URL with the application the desktop
// associates with it. gio reads the same associations as every desktop
// (mimeapps.list), starts the application detached and says so when there
// is none, late, or never when a D-Bus activation hangs: the panel does not
// wait for it. xdg-open is the fallback for systems without it.
Platform::StartResult openWithDefaultHandler(const QString &target, const Platform::LaterFailure &laterFailure)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (gio.isEmpty() && xdgOpen.isEmpty())
        return failed(QStringLiteral("no application is set to open it"));
    const QStringList opener = gio.isEmpty()
        ? QStringList { xdgOpen, target }
        : QStringList { gio, QStringLiteral("open"), QStringLiteral("--"), target };
    const bool opened = spawn(opener, QString(), [laterFailure](int status) {
        if (status != 0 && laterFailure)
            laterFailure(QStringLiteral("no application is set to open it"));
    });
    return opened ? started() : failed(QStringLiteral("the desktop's opener could not be started"));
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
    return startProgram(program, arguments, workingDirectory);
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
        return startProgram(program, arguments);
    }

    const QFileInfo info(target);
    if (!info.exists())
        return failed(QStringLiteral("the file %1 does not exist").arg(info.absoluteFilePath()));
    if (info.isFile() && info.suffix() == QLatin1String("desktop"))
        return startDesktopEntry(info.absoluteFilePath(), arguments, laterFailure);
    if (info.isFile() && info.isExecutable() && isProgramFile(info.absoluteFilePath()))
        return startProgram(info.absoluteFilePath(), arguments);
    return openWithDefaultHandler(info.absoluteFilePath(), laterFailure);
}

namespace {

// The picture file an Icon key names: a file, or a name in the icon theme.
QString namedIconFile(const QString &name)
{
    if (name.isEmpty() || QFileInfo(name).isAbsolute())
        return name;
    const QString file = themeIconFile(name, 32);
    // Some entries give the icon's file name ("tool.png") instead of its name.
    if (file.isEmpty() && QFileInfo(name).completeBaseName() != name)
        return themeIconFile(QFileInfo(name).completeBaseName(), 32);
    return file;
}

} // namespace

const QHash<QString, QString> &X11Platform::entryIconsByProgram()
{
    if (m_entryIconsRead)
        return m_entryIcons;
    m_entryIconsRead = true;
    m_entryIcons.clear();
    m_awaitedApplications.clear();
    // Every folder read is watched, and for one that does not exist the
    // nearest folder above it, where it would appear.
    QStringList watched;
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QString existing = folder;
        while (!QFileInfo(existing).isDir() && QFileInfo(existing).path() != existing)
            existing = QFileInfo(existing).path();
        watched.append(existing);
        if (existing != folder)
            m_awaitedApplications.insert(folder, existing);
        // Filtered by hand: a name filter is a regular expression, and
        // would bring PCRE into memory for this alone.
        QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (it.fileInfo().isDir()) {
                watched.append(it.filePath());
                continue;
            }
            if (!it.filePath().endsWith(QLatin1String(".desktop")))
                continue;
            const DesktopEntry entry(it.filePath());
            const QString program = QFileInfo(resolveProgram(entry.command({}).value(0))).canonicalFilePath();
            const QString icon = entry.value(QStringLiteral("Icon")).trimmed();
            if (!program.isEmpty() && !icon.isEmpty() && !m_entryIcons.contains(program))
                m_entryIcons.insert(program, icon);
        }
    }
    // Without an event loop to hear changes the index stays as first read.
    if (!m_applicationsWatcher && QCoreApplication::instance()) {
        m_applicationsWatcher = new QFileSystemWatcher(QCoreApplication::instance());
        QObject::connect(m_applicationsWatcher, &QFileSystemWatcher::directoryChanged, [this](const QString &changed) {
            // Above a missing folder only its making is news: the folder
            // above (the user's data folder) changes much more often.
            const QStringList awaited = m_awaitedApplications.keys(changed);
            const auto made = [](const QString &folder) { return QFileInfo(folder).isDir(); };
            if (!awaited.isEmpty() && std::none_of(awaited.cbegin(), awaited.cend(), made))
                return;
            m_entryIconsRead = false;
            ++m_applicationsGeneration;
        });
    }
    if (m_applicationsWatcher) {
        const QStringList before = m_applicationsWatcher->directories();
        if (!before.isEmpty())
            m_applicationsWatcher->removePaths(before);
        watched.removeDuplicates();
        if (!watched.isEmpty())
            m_applicationsWatcher->addPaths(watched);
    }
    return m_entryIcons;
}

QString X11Platform::applicationIconFile(const QString &file)
{
    if (file.endsWith(QLatin1String(".desktop")))
        return namedIconFile(DesktopEntry(file).value(QStringLiteral("Icon")).trimmed());
    // A program shows the icon of the entry that starts it, or the theme's
    // icon of its name, as a desktop's menus show it.
    const QFileInfo info(file);
    if (!info.isFile() || !info.isExecutable() || !isProgramFile(info.absoluteFilePath()))
        return QString();
    const QString entryIcon = entryIconsByProgram().value(info.canonicalFilePath());
    return namedIconFile(entryIcon.isEmpty() ? info.fileName() : entryIcon);
}

QString X11Platform::themeIconFile(const QString &name)
{
    return ::themeIconFile(name, 32);
}

#include "tests/support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#ifndef _WIN32
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sandbox {

static const char rootVariable[] = "ZARVEL_TEST_SANDBOX";

#ifndef _WIN32
// Root passes every permission check, so a test run as root (as CI does) would fake its permission faults. It keeps its
// other rights (mounting a tiny tmpfs as a full disk); these two go from every set, so nothing it starts gets them
// back.
bool obeyFilePermissions()
{
    __user_cap_header_struct header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, sets) != 0)
        return false;
    for (int cap : { CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH }) {
        prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
        prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_LOWER, cap, 0, 0);
        auto &set = sets[CAP_TO_INDEX(cap)];
        set.effective &= ~CAP_TO_MASK(cap);
        set.permitted &= ~CAP_TO_MASK(cap);
        set.inheritable &= ~CAP_TO_MASK(cap);
    }
    return syscall(SYS_capset, &header, sets) == 0;
}
#endif

int runSandboxed(int argc, char **argv, int (*run)(int, char **))
{
    if (qEnvironmentVariableIsSet(rootVariable))
        return run(argc, argv);
#ifdef _WIN32
    // Windows binds buttons.json to the profile, not to HOME: the sandbox is the wine prefix tests/wine/run makes.
    return std::fputs("Windows tests run only through tests/wine/run.\n", stderr), 2;
#else
    // TMPDIR lets a caller put the sandbox on a memory file system: the fuzz targets write buttons.json for every
    // input, and each atomic write waits for the disk.
    const QByteArray tmp = qgetenv("TMPDIR");
    QByteArray pattern = (tmp.isEmpty() ? QByteArrayLiteral("/tmp") : tmp) + "/zarvel-test-XXXXXX";
    const char *dir = mkdtemp(pattern.data());
    if (!dir) {
        std::perror("mkdtemp");
        return 2;
    }
    const QString base = QString::fromLocal8Bit(dir);
    qputenv(rootVariable, QFile::encodeName(base));
    const std::pair<const char *, const char *> folders[]
        = { { "HOME", "/home" }, { "XDG_DATA_HOME", "/home/.local/share" }, { "XDG_CONFIG_HOME", "/home/.config" },
              { "XDG_CACHE_HOME", "/home/.cache" }, { "XDG_RUNTIME_DIR", "/runtime" } };
    for (const auto &[variable, path] : folders) {
        const QString folder = base + QLatin1String(path);
        QDir().mkpath(folder);
        chmod(QFile::encodeName(folder).constData(), 0700);
        qputenv(variable, QFile::encodeName(folder));
    }

    // Static objects (buttons.json's path among them) are bound before main() runs, so the test starts again in the new
    // environment.
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && !obeyFilePermissions())
            std::perror("capset");
        execv("/proc/self/exe", argv);
        std::perror("execv");
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0)
        status = 2 << 8;
    QDir(base).removeRecursively();
    Q_UNUSED(argc);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
#endif
}

QString root()
{
    return qEnvironmentVariable(rootVariable);
}

QString home()
{
    return root() + "/home";
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeProgram(const QString &path, const QByteArray &content)
{
    if (!writeFile(path, content) || !QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner))
        return QString();
    return path;
}

QStringList takeRecord(const QString &path)
{
    const QByteArray bytes = readFile(path);
    QFile::remove(path);
    QStringList words = QString::fromLocal8Bit(bytes.constData(), bytes.size()).split(QLatin1Char('\0'));
    words.removeLast(); // after the last NUL
    return words;
}

} // namespace sandbox

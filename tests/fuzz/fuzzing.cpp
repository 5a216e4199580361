#include "tests/fuzz/fuzzing.h"

#include "tests/support/sandbox.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

void startFuzzing(int *argc, char ***argv)
{
    if (sandbox::root().isEmpty())
        std::exit(sandbox::runSandboxed(*argc, *argv, [](int, char **) { return 0; }));

    // Warnings about the inputs' bad files would drown libFuzzer's own report.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(message));
            std::abort();
        }
    });
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt keeps the reference; libFuzzer's own arguments mean nothing to it.
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    auto *app = new QApplication(qtArgc, qtArgv);
    app->setQuitOnLastWindowClosed(false);
}

QByteArray fuzzInput(const unsigned char *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(qMin<size_t>(size, 1 << 24)));
}

void splitScript(const QByteArray &input, QByteArray *script, QByteArray *rest, int maxScript)
{
    const int newline = input.indexOf('\n');
    if (newline < 0) {
        *script = QByteArray();
        *rest = input;
        return;
    }
    *script = input.left(qMin(newline, maxScript));
    *rest = input.mid(newline + 1);
}

void emptyFolder(const QString &folder)
{
    QDir dir(folder);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        QDir sub(dir.filePath(name));
        if (QFileInfo(dir.filePath(name)).isDir() && !QFileInfo(dir.filePath(name)).isSymLink())
            sub.removeRecursively();
        else
            dir.remove(name);
    }
}

#pragma once

#include "tests/support/sandbox.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

// Reports a broken promise and aborts: libFuzzer keeps the input, and a replay fails.
[[noreturn]] inline void fuzzFailure(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The start of every fuzz target: re-executes it in the test sandbox, so that fuzzing never touches the user's
// files, and there makes the offscreen QApplication. Returns 0, as LLVMFuzzerInitialize does.
inline int startFuzzing(int *argc, char ***argv)
{
    if (sandbox::root().isEmpty())
        std::exit(sandbox::runSandboxed(*argc, *argv, [](int, char **) { return 0; }));
    // The warnings about the inputs' broken files would drown the report.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg)
            fuzzFailure(qUtf8Printable(message));
    });
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1; // Qt keeps the reference; libFuzzer's arguments mean nothing to it
    static char *qtArgv[] = { (*argv)[0], nullptr };
    new QApplication(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    return 0;
}

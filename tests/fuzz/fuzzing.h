#pragma once

#include "tests/support/sandbox.h"

#include <QApplication>

#include <cstdlib>

// Every fuzz target starts here, re-executed in the test sandbox so that fuzzing never touches the user's files, with
// an offscreen QApplication. A broken promise is a qFatal(): it aborts, so libFuzzer keeps the input and a replay
// fails.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (sandbox::root().isEmpty())
        std::exit(sandbox::runSandboxed(*argc, *argv, [](int, char **) { return 0; }));
    // The warnings about the inputs' broken files would drown the report.
    qputenv("QT_LOGGING_RULES", "*.debug=false\n*.info=false\n*.warning=false\n*.critical=false");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv); // none of libFuzzer's arguments means anything to Qt
    QApplication::setQuitOnLastWindowClosed(false);
    return 0;
}

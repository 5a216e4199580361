#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every test process runs with HOME and the XDG folders in a fresh
// temporary directory, so no test ever reads or writes the real user's
// files. runSandboxed() re-executes the test inside such a directory
// (removed afterwards) unless it already runs in one.
namespace sandbox {

int runSandboxed(int argc, char **argv, int (*run)(int, char **));

// Gives up the rights to pass file permission checks (root's, or those a
// user namespace grants), for this process and what it starts; whether
// that worked. runSandboxed() does it for tests that run as root.
bool obeyFilePermissions();

// The temporary root of this test process, and its home folder.
QString root();
QString home();

// Small file helpers for tests.
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Writes an executable file (a shell script by default); returns its path,
// or an empty string when it could not be written.
QString writeProgram(const QString &path, const QByteArray &content = "#!/bin/sh\n");

// The NUL-separated words a recording script wrote to `path`; the record
// is removed so that the next one starts fresh.
QStringList takeRecord(const QString &path);

// A character device to put where a file belongs: a null device node of
// the sandbox's own where nodes can be made, else /dev/null where this
// process cannot replace it; empty when neither. A program that wrongly
// replaced the device through a link then harms only the sandbox.
QString deviceNode();

} // namespace sandbox

// Like QTEST_MAIN, inside a sandbox.
#define ZARVEL_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        return sandbox::runSandboxed(argc, argv, [](int c, char **v) {                                                 \
            QApplication app(c, v);                                                                                    \
            QGuiApplication::setQuitOnLastWindowClosed(false);                                                         \
            TestObject tc;                                                                                             \
            return QTest::qExec(&tc, c, v);                                                                            \
        });                                                                                                            \
    }

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sandbox {

// Re-executes the test with HOME and the XDG folders in a fresh temporary directory (removed afterwards), unless it
// already runs in one, so no test touches the user's files; as root, without the rights that pass permission checks.
int runSandboxed(int argc, char **argv, int (*run)(int, char **));
bool obeyFilePermissions();

QString root(); // the temporary directory
QString home();
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// An executable file (a shell script by default); its path, or empty.
QString writeProgram(const QString &path, const QByteArray &content = "#!/bin/sh\n");
// The NUL-separated words a recording script wrote; the record goes.
QStringList takeRecord(const QString &path);

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

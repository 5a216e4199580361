// The program as a whole: the hand-over to the updater and back, the autostart entry, and the About dialog's licence
// texts.
#include "about/about.h"
#include "platform/autostartentry.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>

#include <signal.h>

class TestApp : public QObject {
    Q_OBJECT

private slots:
    // A plain start hands over to the updater in the working directory (a folder with blanks and a quote), which gets
    // the version, the edition's version document and the restart command; the first run ends and the restarted one
    // stays.
    void handOverAndBack()
    {
#ifdef Q_OS_WIN
        QSKIP("scripts/windows-test's case hand_over hands over to a Windows updater");
#else
        const QString dir = sandbox::root() + "/program's folder";
        QVERIFY(!sandbox::writeProgram(dir + "/zvUpdtr",
            "#!/bin/sh\nprintf '%s\\n' \"$@\" > args.tmp\n"
            "echo $$ > pid.tmp && mv args.tmp args && mv pid.tmp pid\n"
            "eval \"exec $3\"\n")
                     .isEmpty());
        QProcess zarvel;
        zarvel.setWorkingDirectory(dir);
        zarvel.start(ZARVEL_BINARY, QStringList());
        QVERIFY(zarvel.waitForFinished(30000) && zarvel.exitCode() == 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir + "/pid"), 30000);
        const qint64 pid = sandbox::readFile(dir + "/pid").trimmed().toLongLong();
        const QString edition = configValue("type").toString().toLower();
        QCOMPARE(QString::fromUtf8(sandbox::readFile(dir + "/args")).split('\n', Qt::SkipEmptyParts),
            QStringList(
                { appVersion, updateBaseUrl + "/version/" + edition + ".json", "'" ZARVEL_BINARY "' -checkupdate" }));
        static const char restarted[] = ZARVEL_BINARY "\0-checkupdate";
        QTRY_COMPARE_WITH_TIMEOUT(sandbox::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid)),
            QByteArray(restarted, sizeof restarted), 30000);
        ::kill(pid_t(pid), SIGTERM);
#endif
    }

    // The entry starts this program; one the user changed (switched off) is never replaced, one Zarvel wrote for a
    // program since moved follows it, and a trial run writes none.
    void autostart()
    {
        const QString program = QCoreApplication::applicationFilePath(), name = QFileInfo(program).fileName();
        const QString entry = sandbox::home() + "/.config/autostart/" + name + ".desktop";
        FakePlatform platform;
        qputenv("ZARVEL_NO_AUTOSTART", "1");
        delete new TestPanel(&platform);
        qunsetenv("ZARVEL_NO_AUTOSTART");
        QCOMPARE(platform.autostartRequests, 0);
        QVERIFY(sandbox::writeFile(entry, ::autostartEntry("/old/place/" + name)));
        nativePlatform().createAutostartEntry();
        QCOMPARE(sandbox::readFile(entry), ::autostartEntry(program));
        QVERIFY(sandbox::writeFile(entry, ::autostartEntry("/old/place/" + name) + "Hidden=true\n"));
        nativePlatform().createAutostartEntry();
        QVERIFY(sandbox::readFile(entry).endsWith("Hidden=true\n"));
    }

    // Each licence action reads its file from the working directory when chosen; GPL and LGPL are shared by all.
    void licences()
    {
        const QString copyright = "qtimageformats/COPYRIGHT", dir = sandbox::root() + "/cwd";
        for (const auto &[action, file] : { std::pair<QString, QString> { "qtsvg/LICENSE.GPLv3", "COPYING" },
                 { "qtbase/USED-LICENSE", "COPYING.LESSER" }, { copyright, copyright }, { "qtbase/COPYRIGHT", "" } }) {
            QVERIFY(QDir(dir).removeRecursively() && QDir().mkpath(dir) && QDir::setCurrent(dir));
            QVERIFY(sandbox::writeFile("licenses/" + (file.isEmpty() ? "other" : file), file.toUtf8()));
            about dialog;
            for (QAction *module : dialog.findChild<QMenuBar *>()->actions().at(1)->menu()->actions())
                for (QAction *entry : module->menu()->actions())
                    if (module->text() + '/' + entry->text() == action)
                        entry->trigger();
            QCOMPARE(dialog.findChild<QPlainTextEdit *>()->toPlainText(),
                file.isEmpty() ? QStringLiteral("The file is missing from the licenses folder.") : file);
        }
    }
};

ZARVEL_TEST_MAIN(TestApp)
#include "tst_app.moc"

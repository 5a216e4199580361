// The program as a whole: the hand-over to the updater and back, the autostart entry, and the About dialog's licence
// texts.
#include "about/about.h"
#include "app/resources.h"
#include "panel/commands.h"
#include "platform/autostartentry.h"
#include "platform/commandchannel.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>

#include <signal.h>
#ifndef Q_OS_WIN
#include "platform/unixsocket.h"
#endif

static const bool windows = QSysInfo::kernelType() == "winnt";

class TestApp : public QObject {
    Q_OBJECT

private slots:
    // A plain start hands over to the updater beside the program (in a folder with a quote), never the working
    // directory's, with the version, version document, restart command and Zarvel's given environment; it comes back.
    void handOverAndBack()
    {
#ifdef Q_OS_WIN
        QSKIP("tests/wine/windows-test's case hand_over hands over to a Windows updater");
#else
        const QString dir = sandbox::root() + "/program's folder", program = dir + "/Zarvel", cwd = dir + " cwd";
        QVERIFY(QDir().mkpath(dir) && QFile::copy(ZARVEL_BINARY, program));
        QVERIFY(QFile::link(QFileInfo(ZARVEL_BINARY).path() + "/libzarvel.so", dir + "/libzarvel.so"));
        QVERIFY(!sandbox::writeProgram(cwd + "/zvUpdtr").isEmpty()); // were it run, Zarvel would never come back
        QVERIFY(!sandbox::writeProgram(dir + "/zvUpdtr",
            "#!/bin/sh\nprintf '%s\\n' \"$@\" $QT_XCB_GL_INTEGRATION > args.tmp\n"
            "echo $$ > pid.tmp && mv args.tmp args && mv pid.tmp pid\n"
            "eval \"exec $3\"\n")
                     .isEmpty());
        QProcess zarvel;
        zarvel.setWorkingDirectory(cwd);
        zarvel.start(program, QStringList());
        QVERIFY(zarvel.waitForFinished(30000) && zarvel.exitCode() == 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir + "/pid"), 30000);
        const qint64 pid = sandbox::readFile(dir + "/pid").trimmed().toLongLong();
        QTRY_COMPARE_WITH_TIMEOUT(sandbox::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid)),
            QFile::encodeName(program) + QByteArray("\0-checkupdate\0", 14), 30000);
        ::kill(pid_t(pid), SIGTERM);
        QCOMPARE(QString::fromUtf8(sandbox::readFile(dir + "/args")).split('\n', Qt::SkipEmptyParts),
            QStringList({ appVersion, updateBaseUrl + "/version/" + configValue("type").toString().toLower() + ".json",
                "'" + sandbox::root() + "/program'\\''s folder/Zarvel' -checkupdate" }));
#endif
    }

    // --help and -h print the usage and end; a wrong option or word says so and ends with 2 at once, where the real
    // program would have stayed with a second tray.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says"); // on the output, or the error output when the exit code is not 0
        QTest::newRow("--help") << QStringList { "-checkupdate", "--help" } << 0 << "Usage: Zarvel [-checkupdate]";
        QTest::newRow("-h") << QStringList { "-h" } << 0 << "--show        ask the running Zarvel";
        QTest::newRow("unknown option") << QStringList { "--no-poll", "--nopoll" } << 2 << "unknown option '--nopoll'";
        QTest::newRow("a word") << QStringList { "-checkupdate", "file" } << 2 << "unexpected argument 'file'";
        QTest::newRow("Qt's options") << QStringList { "-platform", "offscreen", "-style=fusion", "-h" } << 0
                                      << "Usage";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QProcess zarvel;
        zarvel.start(ZARVEL_BINARY, arguments);
        QVERIFY(zarvel.waitForFinished(30000));
        const QString out = zarvel.readAllStandardOutput(), err = zarvel.readAllStandardError();
        QCOMPARE(zarvel.exitCode(), exitCode);
        QVERIFY2(
            (exitCode ? err : out).contains(says) && (!exitCode || err.contains("Zarvel --help")), qPrintable(err));
    }

#ifndef Q_OS_WIN
    // --show and a second start against a Zarvel flooded beyond its descriptors, one stopped, one without a runtime
    // folder or a temporary one, one too deep for a socket's name, and escapes: --show tells in seconds, never raw.
    void commandSocket_data()
    {
        QTest::addColumn<QString>("dir"); // XDG_RUNTIME_DIR
        QTest::addColumn<QString>("says"); // --show (exit code 3 when it does not answer, else 2), then a second start
        const QString own = qEnvironmentVariable("XDG_RUNTIME_DIR"), deep = own + '/' + QString(100, 'd');
        const QString unread = "Zarvel did not show its panel: the pointer cannot be read.\nZarvel already runs;";
        QTest::newRow("flooded") << own << unread;
        QTest::newRow("stopped") << own << "Zarvel runs but does not answer.\nalready runs but does not answer;";
        QTest::newRow("no runtime folder") << QString() << unread;
        QTest::newRow("deep runtime folder") << deep << unread;
        QTest::newRow("escapes") << own << "Zarvel did not show its panel: ]0;tr\n";
    }
    void commandSocket()
    {
        QFETCH(QString, dir);
        QFETCH(QString, says);
        const QString row = QTest::currentDataTag();
        QVERIFY(dir.isEmpty() || (QDir().mkpath(dir) && QFile::setPermissions(dir, QFile::Permissions(0x7000))));
        qunsetenv("DISPLAY");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
        qputenv("TMPDIR", "/dev/null"); // no name can be made there: as when others took them all first
        QString said;
        const auto run = [&](const QStringList &arguments) {
            QProcess process;
            process.start(ZARVEL_BINARY, arguments);
            const bool ended = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000);
            said += process.readAllStandardError();
            return ended ? process.exitCode() : -1;
        };
        CommandServer escapes(
            row == "escapes" ? commandSocketName() : QString(), [](auto) { return "\x1b]0;t\x07r\xc2\x9b"; }, 0);
        QProcess zarvel; // with few descriptors, so that accepting runs out of them
        if (row != "escapes")
            zarvel.start("sh", { "-c", "ulimit -n 40 && exec \"$0\" -checkupdate", ZARVEL_BINARY });
        QTRY_VERIFY_WITH_TIMEOUT(row == "escapes" || run({ "--show" }) == 2, 20000);
        std::vector<int> flood(row == "flooded" ? 200 : 0);
        for (int &fd : flood) {
            fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(fd, UnixAddress(commandSocketName().toStdString()).get(), sizeof(sockaddr_un));
        }
        if (row == "stopped")
            ::kill(pid_t(zarvel.processId()), SIGSTOP);
        QCOMPARE(run({ "--show" }), says.startsWith("Zarvel runs but does not answer") ? 3 : 2);
        QCOMPARE(row == "escapes" ? 1 : run({ "-checkupdate" }), 1);
        QVERIFY2(said.contains(says.section('\n', 0, 0)) && said.contains(says.section('\n', 1)), qPrintable(said));
        for (int fd : flood)
            ::close(fd);
    }
#endif

    // The entry starts this program, and a trial run writes none. One the user changed (switched off) is never
    // replaced, nor one for another copy still there; one for a copy since gone follows this one on Linux, where
    // Zarvel wrote it, but a Windows shortcut to another copy may be the user's own choice.
    void autostart_data()
    {
        QTest::addColumn<int>("before"); // 0: no entry, 1: a gone copy's, 2: the user's own, 3: a present copy's
        QTest::addColumn<bool>("kept");
        QTest::newRow("missing") << 0 << false;
        QTest::newRow("a copy's since gone") << 1 << windows;
        QTest::newRow("the user's own") << 2 << true;
        QTest::newRow("another copy's") << 3 << true;
    }
    void autostart()
    {
        QFETCH(int, before);
        QFETCH(bool, kept);
        const QString program = QCoreApplication::applicationFilePath();
        const QString other = before == 3 ? sandbox::writeProgram(sandbox::root() + "/copy/tst_app.exe")
                                          : QString("/old/place/tst_app.exe");
        const QString entry = windows
            ? QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + "/Startup/tst_app.lnk"
            : QString(sandbox::home() + "/.config/autostart/tst_app.desktop");
        FakePlatform platform;
        qputenv("ZARVEL_NO_AUTOSTART", "1");
        delete new TestPanel(&platform);
        qunsetenv("ZARVEL_NO_AUTOSTART");
        QCOMPARE(platform.autostartRequests, 0);
        QFile::remove(entry);
        const QByteArray own = autostartEntry(other) + (before == 2 ? "Hidden=true\n" : "");
        QVERIFY(!before || (before != 2 && windows ? QFile::link(other, entry) : sandbox::writeFile(entry, own)));
        const QByteArray was = sandbox::readFile(entry);
        nativePlatform().createAutostartEntry();
        const QByteArray now = sandbox::readFile(entry);
        const bool starts = windows ? QFileInfo(entry).symLinkTarget() == program : now == autostartEntry(program);
        QVERIFY(kept ? now == was : starts);
    }

    // Each licence action reads its file from the working directory when chosen; GPL and LGPL are shared by all.
    void licences()
    {
        const QString copyright = "qtimageformats/COPYRIGHT", dir = sandbox::root() + "/cwd/";
        for (const auto &[action, file] : { std::pair<QString, QString> { "qtsvg/LICENSE.GPLv3", "COPYING" },
                 { "qtbase/USED-LICENSE", "COPYING.LESSER" }, { copyright, copyright }, { "qtbase/COPYRIGHT", "" } }) {
            QVERIFY(QDir().mkpath(dir + action) && QDir::setCurrent(dir + action)); // Windows removes no current folder
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

    // The tray's logo comes at every size asked, up to its largest picture; greyed when disabled.
    void logoAtEverySize()
    {
        const QIcon logo = trayLogoIcon();
        for (int side : { 16, 20, 64, 100, 256, 300 }) {
            const QImage drawn = logo.pixmap(side).toImage(), greyed = logo.pixmap(side, QIcon::Disabled).toImage();
            QCOMPARE(drawn.size(), QSize(qMin(side, 256), qMin(side, 256)));
            QVERIFY(drawn.pixelColor(drawn.width() / 2, drawn.height() / 2).alpha() == 255 && greyed != drawn
                && greyed.size() == drawn.size());
        }
    }
};

ZARVEL_TEST_MAIN(TestApp)
#include "tst_app.moc"

// The program as a whole: the hand-over to the updater and back, the autostart entry, and the About dialog's licence
// texts.
#include "about/about.h"
#include "app/resources.h"
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

static const bool windows = QSysInfo::kernelType() == "winnt";

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

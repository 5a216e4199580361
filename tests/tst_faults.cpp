// Kills during saves, a full disk, permission and file-type faults: buttons.json is never lost nor wrongly replaced.
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "panel/commands.h"
#include "panel/panelstate.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/modal.h"
#include "tests/support/sandbox.h"

#include <QtTest>
#include <QtWidgets>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

// A 1 MB tmpfs at XDG_DATA_HOME, private to this process, made before main() while it runs one thread; or why not.
static const QString noDisk = []() -> QString {
    const bool failed = sandbox::root().isEmpty()
        || (geteuid()
            && (unshare(CLONE_NEWUSER) || !sandbox::obeyFilePermissions()
                || !sandbox::writeFile("/proc/self/setgroups", "deny")
                || !sandbox::writeFile("/proc/self/uid_map", QString("%1 %1 1").arg(geteuid()).toUtf8())
                || !sandbox::writeFile("/proc/self/gid_map", QString("%1 %1 1").arg(getegid()).toUtf8())))
        || unshare(CLONE_NEWNS) || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)
        || mount("tiny", qgetenv("XDG_DATA_HOME").constData(), "tmpfs", 0, "size=1m");
    return failed ? "no private tmpfs in a user namespace: " + QString::fromLocal8Bit(strerror(errno)) : QString();
}();

class TestFaults : public QObject {
    Q_OBJECT
    FakePlatform platform;
    TestPanel panel { &platform };
    const QString file = buttonsFilePath(), dir = QFileInfo(file).absolutePath();

    QByteArray snapshot() const // each entry's name, mode, type and link target, and what each file holds
    {
        QProcess find;
        find.start("find", { dir, "-printf", "%P %m %y %l\\n", "-type", "f", "-exec", "cat", "{}", ";" });
        return find.waitForFinished(10000) ? find.readAll() : QByteArray("find failed");
    }

private slots:
    void cleanup() { QVERIFY(!chmod(qPrintable(dir), 0700) && QDir(dir).removeRecursively() && QDir().mkdir(dir)); }

    void killedSavesLeaveTheOldOrTheNewDocument()
    {
        const QString at = sandbox::root() + "/killed", target = at + "/buttons.json";
        // 150 KB, so that kills land inside saves.
        const QJsonObject documents[] = { { { "Note", QString(150000, 'a') } }, { { "Note", QString(150000, 'b') } } };
        QVERIFY(writeButtonsDocument(target, documents[0]));
        int changed = 0;
        for (int round = 0; round < 300; ++round) {
            const QJsonObject before = readButtonsObject(target);
            const pid_t saver = fork();
            for (int n = before == documents[0]; saver == 0; ++n)
                writeButtonsDocument(target, documents[n % 2]); // saves until killed
            QThread::usleep(round * 7919 % 40000); // kill delays spread over 40 ms by the round, the same on every run
            QVERIFY(saver > 0 && kill(saver, SIGKILL) == 0 && waitpid(saver, nullptr, 0) == saver);
            const QJsonObject after = readButtonsObject(target);
            QVERIFY2(after == documents[0] || after == documents[1], qPrintable(QString("round %1").arg(round)));
            changed += after != before;
        }
        // A kill between the write and the rename leaves a temporary file, and nothing else.
        const QStringList left = QDir(at).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QVERIFY(changed > 0 && left.filter(QRegularExpression("^buttons\\.json(\\.\\w{6})?$")) == left);
        // The next start removes them, and one more left long ago; a backup, another name and a save just begun stay.
        const QStringList kept
            = { "buttons.json", "buttons.json.20260101-000000.bak", "buttons.json.Fresh1", "buttons.json.notes" };
        for (const QString &name : kept + QStringList("buttons.json.Old123"))
            QVERIFY(name == "buttons.json" || sandbox::writeFile(at + '/' + name, "mine"));
        for (const QString &name : QDir(at).entryList({ "buttons.json.??????" })) {
            QFile leftover(at + '/' + name);
            QVERIFY(name.endsWith("Fresh1") || leftover.open(QIODevice::ReadWrite));
            QVERIFY(name.endsWith("Fresh1")
                || leftover.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFile::FileModificationTime));
        }
        ensureButtonsFile(target);
        QCOMPARE(QDir(at).entryList(QDir::Files | QDir::Hidden), kept);
    }

    void faultsChangeNothing_data()
    {
        QTest::addColumn<QString>("fault");
        for (auto fault : { "read-only folder", "read-only file", "read-only file, unparsable", "unreadable file",
                 "folder in place", "link loop", "FIFO in place", "full disk", "full disk, unparsable" })
            QTest::newRow(fault) << fault;
    }
    void faultsChangeNothing()
    {
        QFETCH(QString, fault);
        if (fault.startsWith("full disk") && !noDisk.isEmpty())
            QSKIP(qPrintable("no full disk: " + noDisk));
        // A document without buttons or an unparsable one: the start-up repair means to write, or to keep a backup.
        const bool placed = fault.contains("link") || fault.contains("in place");
        QVERIFY((placed || sandbox::writeFile(file, fault.endsWith("unparsable") ? "{\"Button01\": " : "{}"))
            && (fault == "read-only folder"      ? QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner)
                    : fault.contains(" file")    ? chmod(qPrintable(file), fault.startsWith("read") ? 0400 : 0200) == 0
                    : fault == "folder in place" ? sandbox::writeFile(file + "/mine", "mine")
                    : fault == "link loop"       ? QFile::link(file + ".2", file) && QFile::link(file, file + ".2")
                    : fault == "FIFO in place"   ? mkfifo(QFile::encodeName(file).constData(), 0600) == 0
                                                 : !sandbox::writeFile(dir + "/filler", QByteArray(1 << 20, 'x'))));
        const QByteArray before = snapshot();

        // Each of the three says it failed, and nothing in the folder changes.
        const ButtonsFileCheck check = ensureButtonsFile(file);
        QVERIFY(placed ? check == ButtonsFileCheck::NotRegular
                       : check == ButtonsFileCheck::Unreadable || check == ButtonsFileCheck::WriteFailed);
        QString warning;
        moreSettings editor;
        editor.show();
        EditorAccess::set(editor, "Button01.title", "edited");
        onNextModal<QMessageBox>([&](QMessageBox *box) { warning = box->text(), box->accept(); });
        editor.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save)->click();
        QVERIFY2(warning.contains("could not be saved") && editor.isVisible(), qPrintable(warning));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("so the button was not set\\.$"));
        onNextModal<QFileDialog>([](QFileDialog *box) {
            box->selectFile(QCoreApplication::applicationFilePath()), static_cast<QDialog *>(box)->accept();
        });
        panelButtons[0]->click();
        QCOMPARE(snapshot(), before);
    }

    // SVGs naming themselves, each other, a pipe or a 16000 x 16000 PNG, which an ICO, an ICNS and a desktop entry hold
    // or name too; GIF screens of 16000 and 8000 (animated) pixels square; a 256 MB SVGZ, and a 3 GB installed entry.
    void hostileIcons_data()
    {
        QTest::addColumn<QString>("icon");
        const QString at = sandbox::home() + "/hostile/", huge = "../.local/share/applications/3G.desktop";
        QImage giant(16000, 16000, QImage::Format_Grayscale8);
        giant.fill(0);
        QVERIFY(QDir().mkpath(at) && QDir::setCurrent(at) && giant.save("giant.png") && !mkfifo("pipe.png", 0600));
        const QByteArray png = sandbox::readFile("giant.png"), entry = "[Desktop Entry]\nExec=tool\nIcon=";
        QByteArray ico, icns; // ICO's numbers are little-endian
        QDataStream(&icns, QIODevice::WriteOnly) << 0x69636e73u << png.size() + 16 << 0x69633130u << png.size() + 8;
        QDataStream(&ico, QIODevice::WriteOnly) << 0x00000100u << 0x01000000u << 0x00000100u << quint16(0x2000)
                                                << qbswap(quint32(png.size())) << qbswap(22u);
        QVERIFY(sandbox::writeFile("giant.ico", ico + png) && sandbox::writeFile("giant.icns", icns + png)
            && sandbox::writeFile("entry.desktop", entry + QFile::encodeName(at) + "giant.png")
            && sandbox::writeFile(huge, entry) && !truncate(QFile::encodeName(huge).constData(), 3LL << 30)
            && !QProcess::execute("sh", { "-c", "(echo '<svg><!--'; head -c 256M /dev/zero) | gzip -1 >bomb.svgz" }));
        for (const QString &name : QStringList { "self.svg", "a.svg", "b.svg", "pipe.svg", "image.svg", "screen.gif",
                 "animated.gif", "giant.ico", "giant.icns", "entry.desktop", "bomb.svgz", huge }) {
            QVERIFY(QFile::copy(ZARVEL_SOURCE_DIR "/tests/fuzz/corpus/picture/" + name, name) || QFile::exists(name));
            if (name != "b.svg")
                QTest::newRow(qPrintable(QFileInfo(name).fileName())) << QFileInfo(name).absoluteFilePath();
        }
    }
    // Read as the panel reads a button's icon (the entry's beside a button that shows a program, and so reads the
    // installed applications): within 64 MB at the peak and 100 ms of CPU. A real Zarvel with it starts and answers.
    void hostileIcons()
    {
        QFETCH(QString, icon);
        const QString tool = icon.endsWith("3G.desktop") ? sandbox::writeProgram(sandbox::home() + "/bin/tool") : "";
        const auto kb = [](const char *field) { // "VmRSS:" or "VmHWM:", six letters, of this process's status
            const QByteArray status = sandbox::readFile("/proc/self/status");
            return status.mid(status.indexOf(field) + 6).simplified().split(' ').value(0).toLongLong();
        };
        QVERIFY(sandbox::writeFile("/proc/self/clear_refs", "5")); // the peak starts again from here
        const auto cpuMs = [] { // this thread's time in its own code, which no earlier fork's page faults swell
            rusage now;
            return getrusage(RUSAGE_THREAD, &now) ? -1 : now.ru_utime.tv_sec * 1000 + now.ru_utime.tv_usec / 1000;
        };
        const qint64 before = kb("VmRSS:"), start = cpuMs();
        Platform::setInstance(&nativePlatform());
        ButtonIcons icons;
        icons.icon("target", icon, QFileIconProvider());
        icons.icon("target", tool, QFileIconProvider());
        Platform::setInstance(&platform);
        const qint64 peakKb = kb("VmHWM:") - before, ms = cpuMs() - start;
        QVERIFY2(peakKb < 64 << 10 && ms < 100, qPrintable(QString("%1 KB, %2 ms").arg(peakKb).arg(ms)));
        QVERIFY(writeButtonsDocument(file,
            { { buttonKey(1), QJsonObject { { pathMember, "target" }, { iconMember, icon } } },
                { buttonKey(qMin(2, buttonCount)), QJsonObject { { pathMember, tool }, { iconMember, tool } } } }));
        QProcess zarvel;
        zarvel.start(ZARVEL_BINARY, { "-checkupdate" });
        QVERIFY(zarvel.waitForStarted()
            && QTest::qWaitFor(
                [&] { return zarvel.state() != QProcess::Running || sendCommand(pingRequest) == pingAnswer; }, 60000));
        QVERIFY(!sendCommand(showRequest).isNull() && zarvel.state() == QProcess::Running);
        zarvel.kill();
        QVERIFY(zarvel.waitForFinished());
    }
};

ZARVEL_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

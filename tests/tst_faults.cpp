// Kills during saves, a full disk, permission and file-type faults: buttons.json is never lost nor wrongly replaced.
// Icons and desktop entries made to hurt cost Zarvel little.
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
#include <sys/stat.h>
#include <sys/wait.h>
#include <zlib.h>

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

static QByteArray be32(quint32 n)
{
    return QByteArray::fromHex(QByteArray::number(n, 16).rightJustified(8, '0'));
}
static QByteArray le16(quint16 n)
{
    return QByteArray(1, char(n & 255)) + char(n >> 8);
}
static QByteArray le32(quint32 n)
{
    return le16(n & 0xffff) + le16(n >> 16);
}
static QByteArray pngChunk(const QByteArray &chunk) // type and data
{
    return be32(chunk.size() - 4) + chunk + be32(crc32(0, reinterpret_cast<const Bytef *>(chunk.data()), chunk.size()));
}
static QByteArray deflated(const QByteArray &head, qint64 count, char filler, bool gzip) // `head`, then `count` fillers
{
    z_stream z {};
    const QByteArray fill(1 << 20, filler);
    QByteArray out(int(count / 100) + (1 << 16), '\0');
    deflateInit2(&z, 9, Z_DEFLATED, gzip ? 31 : 15, 9, Z_RLE);
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(head.data()));
    z.avail_in = uInt(head.size());
    deflate(&z, Z_NO_FLUSH);
    for (qint64 left = count; left > 0; left -= fill.size()) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(fill.data()));
        z.avail_in = uInt(qMin<qint64>(left, fill.size()));
        deflate(&z, Z_NO_FLUSH);
    }
    deflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}
static qint64 statusKb(const char *field, qint64 pid = 0) // of /proc/<pid>/status, this process's by default
{
    const QByteArray status = sandbox::readFile(pid ? QString("/proc/%1/status").arg(pid) : "/proc/self/status");
    return status.mid(status.indexOf(QByteArray(field) + ':') + int(strlen(field)) + 1)
        .trimmed()
        .split(' ')[0]
        .toLongLong();
}

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

    // The peak resident memory of a real Zarvel whose first button shows `icon` and second a program, once it answered
    // a ping and a show; 0 when it did not answer or did not live on.
    qint64 startedPeak(const QString &icon, const QString &tool)
    {
        if (!writeButtonsDocument(file,
                { { buttonKey(1), QJsonObject { { pathMember, tool }, { iconMember, icon } } },
                    { buttonKey(qMin(2, buttonCount)), QJsonObject { { pathMember, tool }, { iconMember, tool } } } }))
            return 0;
        QProcess zarvel;
        zarvel.start(ZARVEL_BINARY, { "-checkupdate" });
        const bool answered = zarvel.waitForStarted()
            && QTest::qWaitFor(
                [&] { return zarvel.state() != QProcess::Running || sendCommand(pingRequest) == pingAnswer; }, 60000)
            && !sendCommand(showRequest).isNull() && zarvel.state() == QProcess::Running;
        const qint64 peak = answered ? statusKb("VmHWM", zarvel.processId()) : 0;
        zarvel.kill();
        zarvel.waitForFinished();
        return peak;
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

    // Made here: pictures that name themselves, each other or a pipe, a 256 MB SVGZ and a 16000 x 16000 PNG (an ICO's,
    // an ICNS's, a desktop entry's and an SVG's), GIF screens of 16000 and 8000 (animated) pixels square, and a sparse
    // 3 GB desktop entry among the installed applications.
    void hostileIcons_data()
    {
        QTest::addColumn<QString>("icon");
        const QString at = sandbox::home() + "/hostile/",
                      apps = qEnvironmentVariable("XDG_DATA_HOME") + "/applications/";
        const auto svg = [&](const QString &name) -> QByteArray {
            return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'><image "
                   "width='30' height='30' xlink:href='"
                + (at + name).toUtf8() + "'/></svg>";
        };
        const QByteArray png = "\x89PNG\r\n\x1a\n"
            + pngChunk("IHDR" + be32(16000) + be32(16000) + QByteArray("\10\0\0\0\0", 5))
            + pngChunk("IDAT" + deflated({}, 16000 * 16001, 0, false)) + pngChunk("IEND");
        const QByteArray frame(",\0\0\0\0\1\0\1\0\0\2\2\x44\1\0", 15), control("!\xf9\4\0\12\0\0\0", 8);
        const QByteArray entry = "[Desktop Entry]\nType=Application\nExec=tool\nIcon=";
        QImage(30, 30, QImage::Format_RGB32).save(at + "plain.png");
        for (const auto &[name, bytes] : { std::pair<QString, QByteArray> { "self.svg", svg("self.svg") },
                 { "a.svg", svg("b.svg") }, { "b.svg", svg("a.svg") }, { "pipe.svg", svg("pipe.png") },
                 { "bomb.svgz", deflated("<svg xmlns='http://www.w3.org/2000/svg'><!--", 256 << 20, ' ', true) },
                 { "giant.png", png },
                 { "giant.ico", QByteArray("\0\0\1\0\1\0\0\0\0\0\1\0\x20\0", 14) + le32(png.size()) + le32(22) + png },
                 { "giant.icns", "icns" + be32(png.size() + 16) + "ic10" + be32(png.size() + 8) + png },
                 { "screen.gif", "GIF89a" + le16(16000) + le16(16000) + QByteArray(3, 0) + frame + ';' },
                 { "animated.gif",
                     "GIF89a" + le16(8000) + le16(8000) + QByteArray(3, 0) + control + frame + control + frame + ';' },
                 { "entry.desktop", entry + (at + "giant.png").toUtf8() }, { "image.svg", svg("giant.png") } }) {
            QVERIFY(sandbox::writeFile(at + name, bytes));
            if (name != "giant.png" && name != "b.svg")
                QTest::newRow(qPrintable(name)) << at + name;
        }
        QTest::newRow("3 GB entry") << apps + "huge.desktop";
        QVERIFY(sandbox::writeFile(apps + "huge.desktop", entry + "x\n")
            && !truncate(qPrintable(apps + "huge.desktop"), 3LL << 30));
        QVERIFY(!mkfifo(qPrintable(at + "pipe.png"), 0600));
    }
    // Read as the panel reads a button's icon, beside a button that shows a program and so reads the applications:
    // within 64 MB at the peak and 100 ms of this thread. And a real Zarvel starts with it, answers and lives on,
    // within 64 MB more than with a plain picture.
    void hostileIcons()
    {
        QFETCH(QString, icon);
        const QString tool = sandbox::writeProgram(sandbox::home() + "/bin/tool");
        QVERIFY(sandbox::writeFile("/proc/self/clear_refs", "5")); // the peak starts again from here
        const qint64 before = statusKb("VmRSS");
        timespec start, end;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        Platform::setInstance(&nativePlatform());
        buttonIcon("target", icon, QFileIconProvider());
        buttonIcon(tool, tool, QFileIconProvider());
        Platform::setInstance(&platform);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        const qint64 ms = (end.tv_sec - start.tv_sec) * 1000 + (end.tv_nsec - start.tv_nsec) / 1000000;
        const qint64 grown = statusKb("VmHWM") - before;
        QVERIFY2(ms < 100 && grown < 64 << 10, qPrintable(QString("%1 ms, %2 KB more").arg(ms).arg(grown)));
        static const qint64 plain = startedPeak(sandbox::home() + "/hostile/plain.png", tool);
        const qint64 peak = startedPeak(icon, tool);
        QVERIFY2(
            plain && peak && peak - plain < 64 << 10, qPrintable(QString("%1 KB, plainly %2 KB").arg(peak).arg(plain)));
    }
};

ZARVEL_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

// Kills during saves, a full disk, permission and file-type faults: buttons.json is never lost nor wrongly replaced.
#include "buttons/buttonsfile.h"
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

// 150 KB, so that kills land inside saves.
static QJsonObject largeDocument(int variant)
{
    return { { "Note", QString(150000, QChar('a' + variant)) } };
}

// A 1 MB tmpfs at XDG_DATA_HOME, private to this process: made before main(), while it runs one thread. Why not, or
// empty.
static const QString noDisk = []() -> QString {
    const QByteArray uid = QByteArray::number(geteuid()), gid = QByteArray::number(getegid());
    if (sandbox::root().isEmpty()
        || (geteuid()
            && (unshare(CLONE_NEWUSER) || !sandbox::obeyFilePermissions()
                || !sandbox::writeFile("/proc/self/setgroups", "deny")
                || !sandbox::writeFile("/proc/self/uid_map", uid + ' ' + uid + " 1")
                || !sandbox::writeFile("/proc/self/gid_map", gid + ' ' + gid + " 1"))))
        return "no user namespace can be made here";
    if (unshare(CLONE_NEWNS) || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)
        || mount("tiny", qgetenv("XDG_DATA_HOME").constData(), "tmpfs", 0, "size=1m"))
        return "no private tmpfs can be mounted here: " + QString::fromLocal8Bit(strerror(errno));
    return QString();
}();

class TestFaults : public QObject {
    Q_OBJECT
    FakePlatform platform;
    TestPanel panel { &platform };
    const QString file = buttonsFilePath(), folder = QFileInfo(file).absolutePath();

    // Every entry of the folder: name, permissions, type and link target, and what each regular file holds.
    QByteArray snapshot() const
    {
        QProcess find;
        find.start("find", { folder, "-printf", "%P %m %y %l\\n", "-type", "f", "-exec", "cat", "{}", ";" });
        return find.waitForFinished(10000) ? find.readAll() : QByteArray("find failed");
    }

private slots:
    void cleanup()
    {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
            && QDir(folder).removeRecursively() && QDir().mkpath(folder));
    }

    void killedSavesLeaveTheOldOrTheNewDocument()
    {
        const QString dir = sandbox::root() + "/killed", target = dir + "/buttons.json";
        const QJsonObject documents[] = { largeDocument(0), largeDocument(1) };
        QVERIFY(writeButtonsDocument(target, documents[0]));
        int changed = 0;
        for (int round = 0; round < 300; ++round) {
            const QJsonObject before = readButtonsObject(target);
            const pid_t saver = fork();
            for (int n = before == documents[0]; saver == 0; ++n)
                writeButtonsDocument(target, documents[n % 2]); // saves until killed
            QThread::usleep(round * 7919 % 40000); // kill delays spread over 40 ms by the round, the same on every run
            int status = 0;
            QVERIFY(
                saver > 0 && kill(saver, SIGKILL) == 0 && waitpid(saver, &status, 0) == saver && WIFSIGNALED(status));
            const QJsonObject after = readButtonsObject(target);
            QVERIFY2(after == documents[0] || after == documents[1], qPrintable(QString("round %1").arg(round)));
            changed += after != before;
            // A kill between the write and the rename leaves the temporary file, and nothing else.
            for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System))
                QVERIFY2(name == "buttons.json"
                        || (QRegularExpression("^buttons\\.json\\.\\w{6}$").match(name).hasMatch()
                            && QFile::remove(dir + '/' + name)),
                    qPrintable(name));
        }
        QVERIFY(changed > 0);
    }

    void faultsChangeNothing_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char *fault :
            { "read-only folder", "read-only file", "read-only file, unparsable", "unreadable file", "folder in place",
                "link loop", "FIFO in place", "link to a device", "full disk", "full disk, unparsable" })
            QTest::newRow(fault) << fault;
    }
    void faultsChangeNothing()
    {
        QFETCH(QString, fault);
        if (fault.startsWith("full disk") && !noDisk.isEmpty())
            QSKIP(qPrintable("no full disk: " + noDisk));
        // A document without buttons or an unparsable one: the start-up repair means to write, or to keep a backup.
        QVERIFY(fault.contains("link") || fault.contains("in place")
            || sandbox::writeFile(
                file, fault.endsWith("unparsable") ? "{\"Button01\": " : QJsonDocument(largeDocument(0)).toJson()));
        if (fault == "read-only folder")
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (fault.startsWith("read-only file"))
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        if (fault == "unreadable file")
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
        if (fault == "folder in place")
            QVERIFY(sandbox::writeFile(file + "/mine", "mine"));
        if (fault == "link loop")
            QVERIFY(QFile::link(file + ".2", file) && QFile::link(file, file + ".2"));
        if (fault == "FIFO in place")
            QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        if (fault == "link to a device")
            QVERIFY2(QFile::link(sandbox::deviceNode(), file), "no device is safe to link to");
        if (fault.startsWith("full disk"))
            QVERIFY(!sandbox::writeFile(folder + "/filler", QByteArray(1 << 20, 'x')));
        const QByteArray before = snapshot();

        // Each of the three says it failed, and nothing in the folder changes.
        QVERIFY((QList<ButtonsFileCheck> {
            ButtonsFileCheck::Unreadable, ButtonsFileCheck::NotRegular, ButtonsFileCheck::WriteFailed }
                     .contains(ensureButtonsFile(file))));
        QString warning;
        moreSettings editor;
        editor.show();
        EditorAccess::set(editor, "Button01.title", "edited");
        onNextModal<QMessageBox>([&](QMessageBox *box) { warning = box->text(), box->accept(); });
        editor.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save)->click();
        QVERIFY2(warning.contains("could not be saved") && editor.isVisible(), qPrintable(warning));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("so the button was not set\\.$"));
        onNextModal<QFileDialog>([&](QFileDialog *box) {
            box->findChild<QLineEdit *>("fileNameEdit")->setText(QCoreApplication::applicationFilePath()),
                static_cast<QDialog *>(box)->accept();
        });
        panelButtons[0]->click();
        QCOMPARE(snapshot(), before);
    }
};

ZARVEL_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

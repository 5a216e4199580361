// Real faults under Zarvel's feet: killed in the middle of a save, a full
// disk, a read-only folder or file, an unreadable file, a folder or a link
// loop where buttons.json should be, and buttons.json linked in from
// elsewhere. The user's buttons are never lost, nothing is replaced that
// should not be, and the program keeps running.
#include "app/config.h"
#include "editor/moresettings.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "buttons/buttonstyle.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/modal.h"
#include "tests/support/sandbox.h"
#include "tests/support/testpanel.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// About 150 KB each, so that a save takes long enough for kills to land
// inside it; the two differ in every button.
QJsonObject largeDocument(int variant)
{
    QJsonObject root = defaultButtonsLevel();
    for (int i = 1; i <= buttonCount; ++i) {
        QJsonObject button = defaultButton();
        const QString name = QStringLiteral("Tool %1.%2 ").arg(variant).arg(i);
        button.insert(QStringLiteral("title"), name.repeated(150000 / buttonCount / name.size()));
        root.insert(buttonKey(i), button);
    }
    return root;
}

// What a folder holds, entry by entry: name, permissions, and content, link
// target or what a subfolder holds. Equal snapshots: nothing was replaced,
// added or lost.
QStringList snapshot(const QString &dir)
{
    QStringList entries;
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo &info : QDir(dir).entryInfoList(filter, QDir::Name)) {
        QString entry = info.fileName() + QStringLiteral(" %1 ").arg(info.permissions(), 0, 16);
        if (info.isSymLink())
            entry += QStringLiteral("link to ") + info.symLinkTarget();
        else if (info.isDir())
            entry += QStringLiteral("folder [") + snapshot(info.filePath()).join(QStringLiteral(", ")) + ']';
        else
            entry += QString::number(info.size()) + ' '
                + QCryptographicHash::hash(sandbox::readFile(info.filePath()), QCryptographicHash::Sha1).toHex();
        entries.append(entry);
    }
    return entries;
}


QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writeProcFile(const char *path, const QByteArray &text)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(text) == text.size();
}

// A 1 MB disk of its own at `where`: a tmpfs in a mount namespace private to
// this process, so that nothing of it outlives the test. Root may mount
// there; anyone else may in a user namespace of their own, where they keep
// their own ids but must give up the rights over their own files that such
// a namespace grants. Returns why no disk could be made, or nothing.
QString mountTinyDisk(const QString &where)
{
    if (geteuid() == 0) {
        if (unshare(CLONE_NEWNS) != 0)
            return QStringLiteral("no mount namespace: ") + errnoText();
    } else {
        const QByteArray uid = QByteArray::number(geteuid());
        const QByteArray gid = QByteArray::number(getegid());
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return QStringLiteral("not root, and no user namespace: ") + errnoText();
        sandbox::obeyFilePermissions();
        if (!writeProcFile("/proc/self/setgroups", "deny")
            || !writeProcFile("/proc/self/uid_map", uid + ' ' + uid + " 1")
            || !writeProcFile("/proc/self/gid_map", gid + ' ' + gid + " 1"))
            return QStringLiteral("the user namespace's ids cannot be mapped");
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || mount("zarvel-faults", QFile::encodeName(where).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
               "size=1m,mode=0755")
            != 0)
        return QStringLiteral("cannot mount a tmpfs: ") + errnoText();
    return QString();
}

// Made before main(), while this process still runs a single thread: only
// then can all of it enter namespaces of its own. Empty, or why there is no
// tiny disk.
const QString noDisk = sandbox::root().isEmpty() ? QStringLiteral("not in a sandbox")
                                                 : mountTinyDisk(qEnvironmentVariable("XDG_DATA_HOME"));

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private:
    FakePlatform platform;
    TestPanel panel;
    MainWindow *window = nullptr;
    QString disk; // XDG_DATA_HOME: the tiny disk when there is one
    QString folder; // Zarvel's folder on it
    QString program;

    // Fills the tiny disk until `room` bytes are left.
    bool fillDisk(qint64 room)
    {
        QFile filler(disk + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray page(4096, 'x');
        while (filler.write(page) == page.size()) { }
        return filler.resize(filler.size() - room);
    }

    // Puts `fault` in place of a good buttons.json holding `content`.
    void arrange(const QString &fault, const QByteArray &content, qint64 room)
    {
        const QString file = buttonsFilePath();
        if (fault == QLatin1String("folder in its place")) {
            QVERIFY(sandbox::writeFile(file + QStringLiteral("/mine"), content));
        } else if (fault == QLatin1String("link to itself")) {
            QVERIFY(QFile::link(QStringLiteral("buttons.json"), file));
        } else if (fault == QLatin1String("link loop")) {
            QVERIFY(QFile::link(QStringLiteral("loop.json"), file));
            QVERIFY(QFile::link(QStringLiteral("buttons.json"), folder + QStringLiteral("/loop.json")));
        } else {
            QVERIFY(sandbox::writeFile(file, content));
        }
        if (fault == QLatin1String("read-only folder")) {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            QVERIFY2(!QFileInfo(folder).isWritable(), "file permissions are not enforced for this user");
        } else if (fault == QLatin1String("read-only file")) {
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
            QVERIFY2(!QFileInfo(file).isWritable(), "file permissions are not enforced for this user");
        } else if (fault == QLatin1String("unreadable file")) {
            QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
            QVERIFY2(!QFile(file).open(QIODevice::ReadOnly), "file permissions are not enforced for this user");
        } else if (fault == QLatin1String("full disk")) {
            QVERIFY(fillDisk(room));
        }
    }

    // Clicks the panel's unset button 1 and chooses `program` in the file
    // dialog that it opens.
    void assignProgramToButton1()
    {
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
        onNextModal<QFileDialog>([this](QFileDialog *dialog) {
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(program);
            static_cast<QDialog *>(dialog)->accept();
        });
        panelButtons[0]->click();
    }

private slots:
    void initTestCase()
    {
        // Generic dialogs are the ones a test can fill in.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        disk = qEnvironmentVariable("XDG_DATA_HOME");
        folder = QFileInfo(buttonsFilePath()).absolutePath();
        QCOMPARE(QFileInfo(folder).absolutePath(), disk);
        if (!noDisk.isEmpty())
            qWarning("No tiny disk, so the full-disk cases are skipped: %s", qUtf8Printable(noDisk));
        QVERIFY(QDir().mkpath(folder));
        program = sandbox::writeProgram(sandbox::home() + QStringLiteral("/bin/tool"));
        QVERIFY(!program.isEmpty());
        window = panel.open(&platform);
    }

    void cleanup()
    {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (QFileInfo(buttonsFilePath()).isFile())
            QFile::setPermissions(buttonsFilePath(), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QDir(folder).removeRecursively());
        QFile::remove(disk + QStringLiteral("/filler"));
        QVERIFY(QDir().mkpath(folder));
    }

    void killedSavesLeaveTheOldOrTheNewDocument()
    {
        const int rounds = 1000;
        const QString dir = sandbox::root() + QStringLiteral("/killed");
        const QString target = dir + QStringLiteral("/buttons.json");
        const QString backup = target + QStringLiteral(".20240101-120000.bak");
        const QString progress = sandbox::root() + QStringLiteral("/progress");
        const QJsonDocument documents[] = { QJsonDocument(largeDocument(0)), QJsonDocument(largeDocument(1)) };
        QString sources[2];
        for (int i = 0; i < 2; ++i) {
            sources[i] = sandbox::root() + QStringLiteral("/document%1.json").arg(i);
            QVERIFY(sandbox::writeFile(sources[i], documents[i].toJson()));
        }
        const QRegularExpression temporaryName(QStringLiteral("^buttons\\.json\\.[A-Za-z0-9]{6}$"));
        QVERIFY(writeButtonsDocument(target, documents[0].object()));
        QVERIFY(sandbox::writeFile(backup, "an earlier backup"));

        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        int midSave = 0;
        int leftovers = 0;
        int ended[2] = {};
        int held = 0;
        for (int round = 1; round <= rounds; ++round) {
            const QString where = QStringLiteral("round %1 of seed %2").arg(round).arg(seed);
            QProcess saver;
            // The first save of each round changes the file.
            saver.start(QStringLiteral(ZARVEL_SAVELOOP), { target, sources[1 - held], sources[held], progress });
            QVERIFY2(saver.waitForReadyRead(10000), qPrintable(where + ": " + saver.readAllStandardError()));
            QThread::usleep(random.bounded(8000));
            saver.kill();
            QVERIFY(saver.waitForFinished(10000));
            // Killed while saving, not stopped by a failed save.
            QVERIFY2(
                saver.exitStatus() == QProcess::CrashExit, qPrintable(where + ": " + saver.readAllStandardError()));
            midSave += sandbox::readFile(progress).startsWith('1');

            const QJsonDocument found = QJsonDocument::fromJson(sandbox::readFile(target));
            const int which = found == documents[held] ? 0 : found == documents[1 - held] ? 1 : -1;
            QVERIFY2(which >= 0, qPrintable(where + ": buttons.json holds neither document"));
            ++ended[which];
            held = found == documents[1];
            QCOMPARE(sandbox::readFile(backup), QByteArray("an earlier backup"));

            // A kill between the naming of the new content and its rename
            // over the file leaves it under a temporary name: the only thing
            // a kill may leave. Zarvel keeps such files (a user's own
            // "buttons.json.backup" looks just like one); the test counts and
            // clears them.
            for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
                if (name == QLatin1String("buttons.json") || dir + '/' + name == backup)
                    continue;
                QVERIFY2(temporaryName.match(name).hasMatch(), qPrintable(where + ": left " + name));
                QVERIFY(QFile::remove(dir + '/' + name));
                ++leftovers;
            }
        }
        qInfo("%d kills, %d of them in the middle of a save, %d leaving a temporary file; buttons.json then held "
              "the same document as before the round %d times and the other one %d times",
            rounds, midSave, leftovers, ended[0], ended[1]);
        // Otherwise no kill met a save, and the rounds proved nothing.
        QVERIFY(midSave > 0);
    }

    void faultsLoseNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("room"); // left on a full disk

        QJsonObject mine = defaultButtonsLevel();
        mine.insert(
            buttonKey(1), QJsonObject { { QStringLiteral("path"), QString() }, { QStringLiteral("title"), "mine" } });
        const QByteArray valid = QJsonDocument(mine).toJson();
        const QByteArray incomplete = "{\"note\": \"no buttons yet\"}";
        const QByteArray unparsable = "{ \"Button01\": ";
        QTest::newRow("full disk, valid file") << "full disk" << valid << qint64(0);
        QTest::newRow("full disk, a page left")
            << "full disk" << QJsonDocument(largeDocument(0)).toJson() << qint64(4096);
        QTest::newRow("full disk, incomplete file") << "full disk" << incomplete << qint64(0);
        QTest::newRow("full disk, unparsable file") << "full disk" << unparsable << qint64(0);
        QTest::newRow("read-only folder") << "read-only folder" << incomplete << qint64(0);
        QTest::newRow("read-only folder, unparsable file") << "read-only folder" << unparsable << qint64(0);
        QTest::newRow("read-only file") << "read-only file" << incomplete << qint64(0);
        QTest::newRow("read-only file, unparsable") << "read-only file" << unparsable << qint64(0);
        QTest::newRow("unreadable file") << "unreadable file" << valid << qint64(0);
        QTest::newRow("folder in its place") << "folder in its place" << valid << qint64(0);
        QTest::newRow("link to itself") << "link to itself" << QByteArray() << qint64(0);
        QTest::newRow("link loop") << "link loop" << QByteArray() << qint64(0);
    }
    void faultsLoseNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, content);
        QFETCH(qint64, room);
        if (fault == QLatin1String("full disk") && !noDisk.isEmpty())
            QSKIP(qPrintable(noDisk));
        arrange(fault, content, room);
        if (QTest::currentTestFailed())
            return;
        const QStringList before = snapshot(folder);
        const QString file = buttonsFilePath();

        QVERIFY(!writeButtonsDocument(file, largeDocument(1)));
        QCOMPARE(snapshot(folder), before);

        // Start-up's repair claims no write that did not happen.
        const ButtonsFileCheck check = ensureButtonsFile(file);
        QVERIFY(check == ButtonsFileCheck::Untouched || check == ButtonsFileCheck::Unreadable
            || check == ButtonsFileCheck::WriteFailed);
        QCOMPARE(snapshot(folder), before);

        QVERIFY(sandbox::zarvelKeepsRunning({ QStringLiteral("-checkupdate") }));
        QCOMPARE(snapshot(folder), before);

        // A Save that fails says so and keeps the dialog open with the edits.
        {
            moreSettings editor;
            editor.show();
            auto *title = editor.findChild<QLineEdit *>(QStringLiteral("lineEdit_title"));
            title->setText(QStringLiteral("edited"));
            QString warning;
            onNextModal<QMessageBox>([&](QMessageBox *box) {
                warning = box->text();
                box->accept();
            });
            QTest::mouseClick(editor.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save), Qt::LeftButton);
            QVERIFY2(warning.contains(QStringLiteral("could not be saved")), qPrintable(warning));
            QVERIFY(editor.isVisible());
            QCOMPARE(title->text(), QStringLiteral("edited"));
        }
        QCOMPARE(snapshot(folder), before);

        // So does the panel when a program chosen for a button cannot be
        // stored.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("so the button was not set\\.$")));
        assignProgramToButton1();
        QCOMPARE(snapshot(folder), before);
    }

    void linkedFileIsWrittenThrough()
    {
        // Dotfile managers keep the real file elsewhere and link it in.
        const QString real = sandbox::root() + QStringLiteral("/dotfiles/zarvel/buttons.json");
        const QString link = buttonsFilePath();
        QVERIFY(sandbox::writeFile(real, "{ \"Button01\": "));
        QVERIFY(QFile::link(QDir(folder).relativeFilePath(real), link));
        const auto linkKept = [&] { return QFileInfo(link).isSymLink() && QFileInfo(link).symLinkTarget() == real; };

        // Start-up repairs the file behind the link; the broken content is
        // kept beside the link, where the user looks for it.
        QString backup;
        QCOMPARE(ensureButtonsFile(link, &backup), ButtonsFileCheck::ReplacedCorrupt);
        QVERIFY(linkKept());
        QCOMPARE(QFileInfo(backup).absolutePath(), folder);
        QCOMPARE(sandbox::readFile(backup), QByteArray("{ \"Button01\": "));
        QCOMPARE(QJsonDocument::fromJson(sandbox::readFile(real)).object(), defaultButtonsLevel());

        {
            moreSettings editor;
            editor.show();
            editor.findChild<QLineEdit *>(QStringLiteral("lineEdit_title"))->setText(QStringLiteral("edited"));
            QTest::mouseClick(editor.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save), Qt::LeftButton);
            QVERIFY(!editor.isVisible());
        }
        QVERIFY(linkKept());
        const QJsonObject saved = QJsonDocument::fromJson(sandbox::readFile(real)).object();
        QCOMPARE(
            saved.value(buttonKey(1)).toObject().value(QStringLiteral("title")).toString(), QStringLiteral("edited"));

        assignProgramToButton1();
        QVERIFY(linkKept());
        const QJsonObject assigned = QJsonDocument::fromJson(sandbox::readFile(real)).object();
        QCOMPARE(
            assigned.value(buttonKey(1)).toObject().value(QStringLiteral("path")).toString(), quoteStoredPath(program));
    }
};

ZARVEL_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

// buttons.json through the start-up repair and the writer. Folders, FIFOs and link loops in place of the file are
// tst_faults' table; the folder walk is tst_panel's and the panel fuzz target's.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/support/sandbox.h"

#include <QtTest>

Q_DECLARE_METATYPE(ButtonsFileCheck)

class TestButtons : public QObject {
    Q_OBJECT
    const QString file = buttonsFilePath(), folder = QFileInfo(file).absolutePath();

private slots:
    void init() { QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder)); }

    // What the replayed corpus of the repair's fuzz target cannot hold: no file at all, a link, and the backups of
    // two corrupt files in turn.
    void repair_data()
    {
        QTest::addColumn<bool>("link"), QTest::addColumn<QByteArray>("bytes"); // null bytes: no file at all
        QTest::addColumn<ButtonsFileCheck>("check");
        QTest::newRow("missing") << false << QByteArray() << ButtonsFileCheck::Created;
        if (QSysInfo::kernelType() != "winnt") // QFile::link makes a shortcut there, which no program reads through
            QTest::newRow("link to a file, written through") << true << QByteArray("{}") << ButtonsFileCheck::Completed;
        QTest::newRow("unparsable") << false << QByteArray("{\"Button01\": ") << ButtonsFileCheck::ReplacedCorrupt;
    }
    void repair()
    {
        QFETCH(bool, link);
        QFETCH(QByteArray, bytes);
        QFETCH(ButtonsFileCheck, check);
        const QString target = link ? sandbox::root() + "/buttons.json" : file;
        QVERIFY(bytes.isNull() || (sandbox::writeFile(target, bytes) && (!link || QFile::link(target, file))));
        QString backup, second;
        QCOMPARE(ensureButtonsFile(file, &backup), check);
        QCOMPARE(QFileInfo(file).isSymLink(), link);
        QVERIFY(QJsonDocument::fromJson(sandbox::readFile(target)).object().contains(buttonKey(buttonCount)));
        // Written atomically: no temporary is left, only the backup it names.
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({ "buttons.json", QFileInfo(backup).fileName() })
                .filter(QRegularExpression("^buttons\\.json(\\.\\d{8}-\\d{6}\\.bak)?$")));
        // A second corrupt file gets a backup of its own.
        QVERIFY(backup.isEmpty()
            || (sandbox::writeFile(file, bytes + "2")
                && ensureButtonsFile(file, &second) == ButtonsFileCheck::ReplacedCorrupt && second != backup
                && sandbox::readFile(backup) == bytes && sandbox::readFile(second) == bytes + "2"));
    }
};

ZARVEL_TEST_MAIN(TestButtons)
#include "tst_buttons.moc"

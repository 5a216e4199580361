// buttons.json through the start-up repair and the writer. Folders, FIFOs and link loops in place of the file are
// tst_faults' table; the folder walk is tst_panel's and the panel fuzz target's.
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

    void repair_data()
    {
        // Null bytes: no file at all.
        QTest::addColumn<bool>("link"), QTest::addColumn<QByteArray>("bytes"),
            QTest::addColumn<ButtonsFileCheck>("check");
        QJsonObject mine = defaultButtonsLevel();
        mine.insert("$schema", "a\rb");
        const QByteArray rawCr = QJsonDocument(mine).toJson().replace("\\r", "\r").replace("Button02", "Note");
        QTest::newRow("missing") << false << QByteArray() << ButtonsFileCheck::Created;
        QTest::newRow("complete") << false << QJsonDocument(mine).toJson() << ButtonsFileCheck::Untouched;
        QTest::newRow("no Button02, raw CR in a string") << false << rawCr << ButtonsFileCheck::Completed;
        QTest::newRow("link to a file, written through") << true << rawCr << ButtonsFileCheck::Completed;
        QTest::newRow("unparsable") << false << QByteArray("{\"Button01\": ") << ButtonsFileCheck::ReplacedCorrupt;
        QTest::newRow("blank") << false << QByteArray(" \r\n\t") << ButtonsFileCheck::ReplacedCorrupt;
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
        // Written atomically: no temporary is left, only the backup it names.
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({ "buttons.json", QFileInfo(backup).fileName() })
                .filter(QRegularExpression("^buttons\\.json(\\.\\d{8}-\\d{6}\\.bak)?$")));
        const QJsonObject original = QJsonDocument::fromJson(bytes).object(),
                          repaired = QJsonDocument::fromJson(sandbox::readFile(file)).object();
        QVERIFY(check != ButtonsFileCheck::Untouched || sandbox::readFile(file) == bytes);
        for (auto it = original.begin(); it != original.end(); ++it)
            QVERIFY2(repaired.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(ensureButtonsFile(file), ButtonsFileCheck::Untouched);
        QCOMPARE(backup.isEmpty() ? QByteArray() : sandbox::readFile(backup),
            check == ButtonsFileCheck::ReplacedCorrupt && !bytes.trimmed().isEmpty() ? bytes : QByteArray());
        // A second corrupt file gets a backup of its own.
        QVERIFY(backup.isEmpty()
            || (sandbox::writeFile(file, bytes + "2")
                && ensureButtonsFile(file, &second) == ButtonsFileCheck::ReplacedCorrupt && second != backup
                && sandbox::readFile(backup) == bytes && sandbox::readFile(second) == bytes + "2"));
    }
};

ZARVEL_TEST_MAIN(TestButtons)
#include "tst_buttons.moc"

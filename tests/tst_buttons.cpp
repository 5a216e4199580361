// The buttons document's folder walk, and buttons.json through the start-up repair and the writer. Folders, FIFOs,
// devices and link loops in place of the file are tst_faults' table.
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/support/sandbox.h"

#include <QtTest>

Q_DECLARE_METATYPE(ButtonsFileCheck)

static QJsonObject with(QJsonObject object, const QString &key, const QJsonValue &value)
{
    return object.insert(key, value), object;
}

class TestButtons : public QObject {
    Q_OBJECT
    const QString file = buttonsFilePath(), folder = QFileInfo(file).absolutePath();
    const QJsonObject stored = with(defaultButton(), titleMember, "stored");

private slots:
    void init() { QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder)); }

    void storeButton_data()
    {
        // `expected` is the root itself when the path names no folder.
        QTest::addColumn<QJsonObject>("root"), QTest::addColumn<FolderPath>("path"),
            QTest::addColumn<QJsonObject>("expected");
        // Members that sort before the buttons; Button02.folder.Button02 a folder with no level yet.
        const QJsonObject sub = with(with(defaultButton(), pathMember, folderMarker), "$tag", 1);
        const QJsonObject inner = with(with(newFolderLevel(), "$note", "x"), "Button02", sub);
        const QJsonObject folder = with(with(sub, folderMember, inner), "$tag", 2);
        const QJsonObject root = with(with(defaultButtonsLevel(), "$schema", "s"), "Button02", folder);
        const auto in = [&](const QJsonObject &level) { return with(root, "Button02", with(folder, "folder", level)); };
        QTest::newRow("depth 0, beside $schema") << root << FolderPath {} << with(root, "Button02", stored);
        QTest::newRow("depth 1") << root << FolderPath { 2 } << in(with(inner, "Button02", stored));
        QTest::newRow("depth 2, level created")
            << root << FolderPath { 2, 2 }
            << in(with(inner, "Button02", with(sub, folderMember, with(newFolderLevel(), "Button02", stored))));
        QTest::newRow("through a plain button") << root << FolderPath { 1 } << root;
        QTest::newRow("through Back") << root << FolderPath { 2, 1 } << root;
        QTest::newRow("through a missing button") << root << FolderPath { 2, 2, 2 } << root;
    }
    void storeButton()
    {
        QFETCH(QJsonObject, root);
        QFETCH(FolderPath, path);
        QFETCH(QJsonObject, expected);
        QJsonObject after = root, level { { "kept", 1 } };
        QVERIFY(::storeButton(&after, path, 2, stored) == (expected != root) && after == expected);
        QVERIFY(levelAt(root, path, &level) == (expected != root) && level.contains("kept") == (expected == root));
    }

    void repair_data()
    {
        // Null bytes: no file at all.
        QTest::addColumn<bool>("link"), QTest::addColumn<QByteArray>("bytes"),
            QTest::addColumn<ButtonsFileCheck>("check");
        const QJsonObject mine = with(defaultButtonsLevel(), "$schema", "a\rb");
        const QByteArray rawCr = QJsonDocument(mine).toJson().replace("\\r", "\r").replace("Button02", "Note");
        QTest::newRow("missing") << false << QByteArray() << ButtonsFileCheck::Created;
        QTest::newRow("complete") << false << QJsonDocument(mine).toJson() << ButtonsFileCheck::Untouched;
        QTest::newRow("no Button02, raw CR in a string") << false << rawCr << ButtonsFileCheck::Completed;
        QTest::newRow("link to a file, written through") << true << rawCr << ButtonsFileCheck::Completed;
        QTest::newRow("unparsable") << false << QByteArray("{\"Button01\": ") << ButtonsFileCheck::ReplacedCorrupt;
        QTest::newRow("empty") << false << QByteArray("") << ButtonsFileCheck::ReplacedCorrupt;
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

// The buttons document's folder walk, and buttons.json through the start-up repair and the writer.
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/support/sandbox.h"

#include <QtTest>
#include <sys/stat.h>

Q_DECLARE_METATYPE(ButtonsFileCheck)

static QJsonObject with(QJsonObject object, const QString &key, const QJsonValue &value)
{
    return object.insert(key, value), object;
}

class TestButtons : public QObject {
    Q_OBJECT
    const QString file = buttonsFilePath(), folder = QFileInfo(file).absolutePath(), loop = folder + "/loop.json";
    const QJsonObject stored = with(defaultButton(), titleMember, "stored");
    QStringList entries(const QStringList &names = {}) const
    {
        return QDir(folder).entryList(names, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QString kindOf(const QFileInfo &info) const
    {
        return info.isSymLink() ? info.symLinkTarget() : info.isDir() ? "folder" : info.isFile() ? "file" : "other";
    }

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
        QTest::addColumn<QString>("kind"), QTest::addColumn<QByteArray>("bytes"),
            QTest::addColumn<ButtonsFileCheck>("check");
        const QJsonObject mine = with(defaultButtonsLevel(), "$schema", "a\rb");
        const QByteArray rawCr = QJsonDocument(mine).toJson().replace("\\r", "\r").replace("Button02", "Note");
        QTest::newRow("missing") << "none" << QByteArray() << ButtonsFileCheck::Created;
        QTest::newRow("complete") << "file" << QJsonDocument(mine).toJson() << ButtonsFileCheck::Untouched;
        QTest::newRow("no Button02, raw CR in a string") << "file" << rawCr << ButtonsFileCheck::Completed;
        QTest::newRow("link to a file, written through") << "link" << rawCr << ButtonsFileCheck::Completed;
        QTest::newRow("unparsable") << "file" << QByteArray("{\"Button01\": ") << ButtonsFileCheck::ReplacedCorrupt;
        QTest::newRow("empty") << "file" << QByteArray() << ButtonsFileCheck::ReplacedCorrupt;
        QTest::newRow("blank") << "file" << QByteArray(" \r\n\t") << ButtonsFileCheck::ReplacedCorrupt;
        QTest::newRow("folder") << "folder" << QByteArray() << ButtonsFileCheck::NotRegular;
        QTest::newRow("FIFO, never opened") << "fifo" << QByteArray() << ButtonsFileCheck::NotRegular;
        QTest::newRow("link to a null device") << "device" << QByteArray() << ButtonsFileCheck::NotRegular;
        QTest::newRow("link loop") << "loop" << QByteArray() << ButtonsFileCheck::NotRegular;
    }
    void repair()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(ButtonsFileCheck, check);
        if (kind == "file")
            QVERIFY(sandbox::writeFile(file, bytes));
        if (kind == "folder")
            QVERIFY(QDir().mkpath(file));
        if (kind == "fifo")
            QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        if (kind == "device")
            QVERIFY2(QFile::link(sandbox::deviceNode(), file), "no device is safe to link to");
        if (kind == "link")
            QVERIFY(sandbox::writeFile(sandbox::root() + "/buttons.json", bytes)
                && QFile::link(sandbox::root() + "/buttons.json", file));
        if (kind == "loop")
            QVERIFY(QFile::link(loop, file) && QFile::link(file, loop));
        const QStringList before = entries();
        const QString was = kindOf(QFileInfo(file));
        QString backup, second;
        QCOMPARE(ensureButtonsFile(file, &backup), check);
        QVERIFY(check != ButtonsFileCheck::NotRegular || !writeButtonsDocument(file, defaultButtonsLevel()));
        QCOMPARE(kindOf(QFileInfo(file)), kind == "none" ? "file" : was);
        // Written atomically: no temporary is left, only the backup it names.
        const QStringList written = QStringList { "buttons.json", QFileInfo(backup).fileName() }.filter(
            QRegularExpression("^buttons\\.json(\\.\\d{8}-\\d{6}\\.bak)?$"));
        QCOMPARE(entries(), check == ButtonsFileCheck::NotRegular ? before : written);
        if (check == ButtonsFileCheck::NotRegular)
            return;
        const QJsonObject original = QJsonDocument::fromJson(bytes).object(),
                          repaired = QJsonDocument::fromJson(sandbox::readFile(file)).object();
        QVERIFY(check != ButtonsFileCheck::Untouched || sandbox::readFile(file) == bytes);
        for (auto it = original.begin(); it != original.end(); ++it)
            QVERIFY2(repaired.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(ensureButtonsFile(file), ButtonsFileCheck::Untouched);
        QCOMPARE(backup.isEmpty() ? QByteArray() : sandbox::readFile(backup),
            check == ButtonsFileCheck::ReplacedCorrupt && !bytes.trimmed().isEmpty() ? bytes : QByteArray());
        QVERIFY(backup.isEmpty()
            || (sandbox::writeFile(file, bytes + "2")
                && ensureButtonsFile(file, &second) == ButtonsFileCheck::ReplacedCorrupt));
        QVERIFY(backup.isEmpty()
            || (second != backup && sandbox::readFile(backup) == bytes && sandbox::readFile(second) == bytes + "2"));
    }
};

ZARVEL_TEST_MAIN(TestButtons)
#include "tst_buttons.moc"

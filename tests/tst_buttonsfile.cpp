// buttons.json: its keys, the default document, the start-up repair and the
// one atomic writer.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QtTest>

using sandbox::readFile;
using sandbox::writeFile;

class TestButtonsFile : public QObject
{
    Q_OBJECT

private:
    QString dir;
    QString path;

    QStringList backups() const
    {
        return QDir(dir).entryList({QStringLiteral("buttons.json.*.bak")}, QDir::Files, QDir::Name);
    }
    static QJsonObject parse(const QByteArray &bytes) { return QJsonDocument::fromJson(bytes).object(); }

private slots:
    void init()
    {
        dir = sandbox::home() + QStringLiteral("/data/") + QString::fromLatin1(QTest::currentTestFunction());
        QDir(dir).removeRecursively();
        path = dir + QStringLiteral("/buttons.json");
    }

    void boundToTheUsersDataFolder()
    {
        // XDG_DATA_HOME points into the sandbox; the file sits in Zarvel/
        // there, whatever this executable is called.
        QCOMPARE(buttonsFilePath(),
                 qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Zarvel/buttons.json"));
    }

    void buttonKeys_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("key");
        QTest::newRow("1") << 1 << "Button01";
        QTest::newRow("9") << 9 << "Button09";
        QTest::newRow("10") << 10 << "Button10";
        QTest::newRow("20") << 20 << "Button20";
    }
    void buttonKeys()
    {
        QFETCH(int, number);
        QFETCH(QString, key);
        QCOMPARE(buttonKey(number), key);
        // Two digits keep key order equal to button order.
        QVERIFY(buttonKey(9) < buttonKey(10));
    }

    void createsTheDefaultDocumentAndItsFolder()
    {
        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::Created);
        const QByteArray bytes = readFile(path);
        if (buttonCount == 2) {
            QCOMPARE(bytes,
                     QByteArray("{\n"
                                "    \"Button01\": {\n"
                                "        \"background\": \"#000000\",\n"
                                "        \"folder\": null,\n"
                                "        \"icon\": \"\",\n"
                                "        \"path\": \"\",\n"
                                "        \"title\": \"\"\n"
                                "    },\n"
                                "    \"Button02\": {\n"
                                "        \"background\": \"#000000\",\n"
                                "        \"folder\": null,\n"
                                "        \"icon\": \"\",\n"
                                "        \"path\": \"\",\n"
                                "        \"title\": \"\"\n"
                                "    }\n"
                                "}\n"));
        }
        const QJsonObject root = parse(bytes);
        QCOMPARE(root.size(), buttonCount);
        QCOMPARE(root.keys().last(), buttonKey(buttonCount));
        QVERIFY(root.value(buttonKey(buttonCount)).toObject().value(QStringLiteral("folder")).isNull());
        QVERIFY(backups().isEmpty());
    }

    void validCompleteFileStaysByteForByte()
    {
        QJsonObject root = defaultButtonsLevel();
        root.insert(QStringLiteral("Extra"), 42);
        // Compact, unusual formatting: any rewrite would show.
        const QByteArray original = QJsonDocument(root).toJson(QJsonDocument::Compact) + "\r\n\r\n";
        QVERIFY(writeFile(path, original));
        const QDateTime modified = QFileInfo(path).lastModified();
        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::Untouched);
        QCOMPARE(readFile(path), original);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }

    void completesMissingAndNullButtonsKeepingTheRest()
    {
        QJsonObject folder{{buttonKey(1), QJsonObject{{QStringLiteral("title"), QStringLiteral("Back")}}},
                           {buttonKey(2), QJsonObject{{QStringLiteral("path"), QStringLiteral("\"/bin/true\"")}}}};
        QJsonObject configured{{QStringLiteral("path"), QStringLiteral("Folder")},
                               {QStringLiteral("title"), QStringLiteral("Tools")},
                               {QStringLiteral("background"), QStringLiteral("red")},
                               {QStringLiteral("folder"), folder}};
        QJsonObject root{{buttonKey(1), configured}, {QStringLiteral("Notes"), QStringLiteral("kept")}};
        if (buttonCount > 2)
            root.insert(buttonKey(3), QJsonValue::Null);
        QVERIFY(writeFile(path, QJsonDocument(root).toJson()));

        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::Completed);
        const QJsonObject repaired = parse(readFile(path));
        QCOMPARE(repaired.value(buttonKey(1)).toObject(), configured);
        QCOMPARE(repaired.value(QStringLiteral("Notes")).toString(), QStringLiteral("kept"));
        for (int i = 2; i <= buttonCount; ++i)
            QCOMPARE(repaired.value(buttonKey(i)).toObject(), defaultButton());
        QVERIFY(backups().isEmpty());
    }

    // Qt's parser takes a raw carriage return inside a string, as some
    // editors leave it; reading the file in text mode used to drop it.
    void rawCarriageReturnInAStringIsKept()
    {
        QVERIFY(writeFile(path, "{\"Button01\": {\"title\": \"two\rlines\"}}"));
        QCOMPARE(readButtonsObject(path).value(buttonKey(1)).toObject().value(QStringLiteral("title")),
                 QStringLiteral("two\rlines"));
        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::Completed);
        QCOMPARE(parse(readFile(path)).value(buttonKey(1)).toObject().value(QStringLiteral("title")),
                 QStringLiteral("two\rlines"));
    }

    void emptyObjectGetsEveryButton()
    {
        QVERIFY(writeFile(path, "{}"));
        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::Completed);
        QCOMPARE(parse(readFile(path)), defaultButtonsLevel());
    }

    void nonObjectButtonsAreLeftAlone()
    {
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(1), QStringLiteral("just text"));
        root.insert(buttonKey(2), 7);
        const QByteArray original = QJsonDocument(root).toJson();
        QVERIFY(writeFile(path, original));
        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::Untouched);
        QCOMPARE(readFile(path), original);
    }

    void corruptFilesAreKeptBeforeReplacing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray("Button01: yes please");
        QTest::newRow("truncated") << QByteArray("{\n    \"Button01\": {\n        \"path\": \"C:/To");
        QTest::newRow("array") << QByteArray("[1, 2, 3]");
        QTest::newRow("string") << QByteArray("\"Button01\"");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe{}", 5);
    }
    void corruptFilesAreKeptBeforeReplacing()
    {
        QFETCH(QByteArray, content);
        QVERIFY(writeFile(path, content));
        QString backup;
        QCOMPARE(ensureButtonsFile(path, &backup), ButtonsFileCheck::ReplacedCorrupt);
        QCOMPARE(backups(), QStringList{QFileInfo(backup).fileName()});
        QCOMPARE(readFile(backup), content);
        QCOMPARE(parse(readFile(path)), defaultButtonsLevel());
    }

    void anEarlierBackupSurvivesALaterOne()
    {
        QVERIFY(writeFile(path, "first broken file"));
        QString first;
        QCOMPARE(ensureButtonsFile(path, &first), ButtonsFileCheck::ReplacedCorrupt);
        QVERIFY(writeFile(path, "second broken file"));
        QString second;
        QCOMPARE(ensureButtonsFile(path, &second), ButtonsFileCheck::ReplacedCorrupt);
        QVERIFY(first != second);
        QCOMPARE(backups().size(), 2);
        QCOMPARE(readFile(first), QByteArray("first broken file"));
        QCOMPARE(readFile(second), QByteArray("second broken file"));
    }

    void emptyFileIsReplacedWithoutABackup()
    {
        QVERIFY(writeFile(path, "  \n"));
        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::ReplacedCorrupt);
        QVERIFY(backups().isEmpty());
        QCOMPARE(parse(readFile(path)), defaultButtonsLevel());
    }

    void unreadableFileIsNeverOverwritten()
    {
        // A folder where the file should be cannot be opened as a file (file
        // permissions would not stop a test that runs as root).
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeFile(path + QStringLiteral("/inside"), "mine"));
        QCOMPARE(ensureButtonsFile(path), ButtonsFileCheck::Unreadable);
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(readFile(path + QStringLiteral("/inside")), QByteArray("mine"));
        QVERIFY(backups().isEmpty());
    }

    void writerReplacesWholeFilesAndRefusesNullDocuments()
    {
        QVERIFY(writeFile(path, QByteArray(10000, 'x')));
        const QJsonObject root{{QStringLiteral("a"), 1}};
        QVERIFY(writeButtonsDocument(path, root));
        QCOMPARE(readFile(path), QJsonDocument(root).toJson(QJsonDocument::Indented));
        // No temporary file is left beside it.
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("buttons.json")});


        QCOMPARE(parse(readFile(path)), root);
    }

    void failedWriteLeavesTheOldFile()
    {
        // The folder "blocked" is a file, so nothing can be written below it.
        const QString blocked = dir + QStringLiteral("/blocked");
        QVERIFY(writeFile(blocked, "not a folder"));
        QVERIFY(!writeButtonsDocument(blocked + QStringLiteral("/buttons.json"), defaultButtonsLevel()));
        QCOMPARE(ensureButtonsFile(blocked + QStringLiteral("/buttons.json")), ButtonsFileCheck::WriteFailed);
        QCOMPARE(readFile(blocked), QByteArray("not a folder"));
    }
};

ZARVEL_TEST_MAIN(TestButtonsFile)
#include "tst_buttonsfile.moc"

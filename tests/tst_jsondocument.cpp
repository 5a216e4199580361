// The settings editor's document: loading and saving buttons.json, and
// reading and writing single values by dotted paths.
#include "editor/editorstate.h"
#include "editor/moresettings.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QtTest>

// JSON written with single quotes, which read better inside C++ strings.
static QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

class TestJsonDocument : public QObject {
    Q_OBJECT

private:
    moreSettings *dialog = nullptr;

    QVariant get(const QString &path)
    {
        QVariant result;
        if (!QMetaObject::invokeMethod(dialog, "getJsonDocument", Q_RETURN_ARG(QVariant, result), Q_ARG(QString, path)))
            qFatal("getJsonDocument is not invokable");
        return result;
    }
    void set(const QString &path, const QVariant &value)
    {
        QVERIFY(QMetaObject::invokeMethod(dialog, "setJsonDocument", Q_ARG(QString, path), Q_ARG(QVariant, value)));
    }
    void invoke(const char *slot) { QVERIFY(QMetaObject::invokeMethod(dialog, slot)); }

private slots:
    // A dialog reads the file and draws its grid when it is made; every case
    // below starts from a document of its own.
    void initTestCase() { dialog = new moreSettings; }
    void cleanupTestCase() { delete dialog; }

    void get_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("expected");

        const QByteArray buttons = json("{'Button01': {'title': 'One', 'folder': null, 'count': 5, '': 'unnamed'},"
                                        " 'Button03': {'folder': {'Button02': {'path': 'Folder'}}}}");
        QTest::newRow("whole button in a folder")
            << buttons << "Button03.folder.Button02" << QVariant(QVariantMap { { QStringLiteral("path"), "Folder" } });
        QTest::newRow("number") << buttons << "Button01.count" << QVariant(5.0);
        QTest::newRow("through a string") << buttons << "Button01.title.x" << QVariant();
        QTest::newRow("through null") << buttons << "Button01.folder.Button01" << QVariant();
        QTest::newRow("missing on the way") << buttons << "Button02.title" << QVariant();
        QTest::newRow("missing at the end") << buttons << "Button01.icon" << QVariant();
        QTest::newRow("empty path, no empty key") << buttons << "" << QVariant();
        QTest::newRow("empty path, empty key") << json("{'': 'root'}") << "" << QVariant("root");
        QTest::newRow("trailing full stop") << buttons << "Button01." << QVariant("unnamed");
        QTest::newRow("null document") << QByteArray("not JSON") << "Button01" << QVariant();
    }
    void get()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, path);
        QFETCH(QVariant, expected);
        jsonDocument = QJsonDocument::fromJson(document);
        const QVariant value = get(path);
        QCOMPARE(value.isValid(), expected.isValid());
        QCOMPARE(value, expected);
    }

    void getNull()
    {
        // Present but null: valid, and empty as text.
        jsonDocument = QJsonDocument::fromJson(json("{'Button01': {'folder': null}}"));
        const QVariant null = get(QStringLiteral("Button01.folder"));
        QVERIFY(null.isValid());
        QVERIFY(null.isNull());
        QVERIFY(null.toString().isEmpty());
    }

    void set_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray two = json("{'Button01': {'title': 'One'}, 'Button02': {'title': 'Two'}}");
        QTest::newRow("replace a field") << two << "Button01.title" << QVariant("New")
                                         << json("{'Button01': {'title': 'New'}, 'Button02': {'title': 'Two'}}");
        QTest::newRow("missing button is created")
            << two << "Button05.title" << QVariant("Five")
            << json("{'Button01': {'title': 'One'}, 'Button02': {'title': 'Two'}, 'Button05': {'title': 'Five'}}");
        QTest::newRow("string on the way is replaced")
            << json("{'Button03': {'folder': 'x', 'title': 'T'}}") << "Button03.folder.Button02.path" << QVariant("p")
            << json("{'Button03': {'folder': {'Button02': {'path': 'p'}}, 'title': 'T'}}");
        QTest::newRow("null on the way is replaced")
            << json("{'Button03': {'folder': null}}") << "Button03.folder.Button02.path" << QVariant(true)
            << json("{'Button03': {'folder': {'Button02': {'path': true}}}}");
        QTest::newRow("empty path") << two << "" << QVariant("e")
                                    << json("{'': 'e', 'Button01': {'title': 'One'}, 'Button02': {'title': 'Two'}}");
        QTest::newRow("empty key in the middle")
            << json("{}") << "a..b" << QVariant(1.5) << json("{'a': {'': {'b': 1.5}}}");
        QTest::newRow("null document") << QByteArray("not JSON") << "Button01.title" << QVariant("x")
                                       << json("{'Button01': {'title': 'x'}}");
        QTest::newRow("invalid value is null")
            << json("{'Button01': {'folder': {'Button01': {}}}}") << "Button01.folder" << QVariant()
            << json("{'Button01': {'folder': null}}");
        const QVariantMap map { { QStringLiteral("b"), 2.0 }, { QStringLiteral("a"), 1.0 } };
        QTest::newRow("map value") << two << "Button02" << QVariant(map)
                                   << json("{'Button01': {'title': 'One'}, 'Button02': {'a': 1, 'b': 2}}");
    }
    void set()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, path);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, expected);
        jsonDocument = QJsonDocument::fromJson(document);
        set(path, value);
        QVERIFY(jsonDocument.isObject());
        QCOMPARE(jsonDocument.object(), QJsonDocument::fromJson(expected).object());
    }

    void readAndSave()
    {
        // A missing file reads as nothing; a save writes only what was set,
        // members sorted, indented by four.
        QFile::remove(buttonsFilePath());
        invoke("readJson");
        QVERIFY(!get(QStringLiteral("Button01")).isValid());
        set(QStringLiteral("Button02.title"), QStringLiteral("Only"));
        set(QStringLiteral("Button01.path"), QStringLiteral("p"));
        invoke("saveJson");
        QVERIFY(jsonSaved);
        QCOMPARE(sandbox::readFile(buttonsFilePath()),
            json("{\n"
                 "    'Button01': {\n"
                 "        'path': 'p'\n"
                 "    },\n"
                 "    'Button02': {\n"
                 "        'title': 'Only'\n"
                 "    }\n"
                 "}\n"));

        // Reading again drops what was not saved.
        set(QStringLiteral("Button01.path"), QStringLiteral("unsaved"));
        invoke("readJson");
        QCOMPARE(get(QStringLiteral("Button01.path")), QVariant("p"));
    }

    void brokenFileIsNeverLost()
    {
        const QByteArray broken = "{\"Button01\": {\"folder\": {\"Button02\": ";
        QVERIFY(sandbox::writeFile(buttonsFilePath(), broken));
        const QDir folder = QFileInfo(buttonsFilePath()).dir();

        // Read as null and saved unchanged: the file stays as it is.
        invoke("readJson");
        QVERIFY(jsonDocument.isNull());
        invoke("saveJson");
        QCOMPARE(sandbox::readFile(buttonsFilePath()), broken);
        QVERIFY(folder.entryList({ QStringLiteral("*.bak") }).isEmpty());

        // Once the user set a value the save replaces it, keeping its bytes.
        set(QStringLiteral("Button01.title"), QStringLiteral("Fresh"));
        invoke("saveJson");
        QVERIFY(jsonSaved);
        const QStringList backups = folder.entryList({ QStringLiteral("*.bak") });
        QCOMPARE(backups.size(), 1);
        QCOMPARE(sandbox::readFile(folder.filePath(backups.first())), broken);
        invoke("readJson");
        QCOMPARE(get(QStringLiteral("Button01.title")).toString(), QStringLiteral("Fresh"));

        // A valid file is simply replaced, without another backup.
        set(QStringLiteral("Button01.title"), QStringLiteral("Again"));
        invoke("saveJson");
        QCOMPARE(folder.entryList({ QStringLiteral("*.bak") }).size(), 1);
    }
};

ZARVEL_TEST_MAIN(TestJsonDocument)
#include "tst_jsondocument.moc"

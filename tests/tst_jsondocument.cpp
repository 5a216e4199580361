// The settings editor's document: loading and saving buttons.json, and
// reading and writing single values by dotted paths.
#include "editor/editorstate.h"
#include "editor/moresettings.h"
#include "panel/buttonsfile.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QJsonArray>
#include <QtTest>

class TestJsonDocument : public QObject {
    Q_OBJECT

private:
    moreSettings *dialog = nullptr;

    static QJsonDocument parse(const char *json) { return QJsonDocument::fromJson(QByteArray(json)); }

    QVariant get(const QString &path)
    {
        QVariant result;
        if (!QMetaObject::invokeMethod(dialog, "getJsonDocument", Q_RETURN_ARG(QVariant, result), Q_ARG(QString, path)))
            qFatal("getJsonDocument is not invokable");
        return result;
    }
    void set(const QString &path, const QVariant &value)
    {
        if (!QMetaObject::invokeMethod(dialog, "setJsonDocument", Q_ARG(QString, path), Q_ARG(QVariant, value)))
            qFatal("setJsonDocument is not invokable");
    }
    void invoke(const char *slot)
    {
        if (!QMetaObject::invokeMethod(dialog, slot))
            qFatal("%s is not invokable", slot);
    }

private slots:
    void initTestCase()
    {
        // A dialog reads the file and draws its grid when it is made; every
        // case below starts from a document of its own.
        dialog = new moreSettings;
    }
    void cleanupTestCase() { delete dialog; }

    void get_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("expected");

        const QByteArray buttons = "{\"Button01\": {\"title\": \"One\", \"folder\": null, \"count\": 5,"
                                   " \"list\": [{\"x\": 1}], \"\": \"unnamed\"},"
                                   " \"Button03\": {\"folder\": {\"Button02\": {\"path\": \"Folder\"}}}}";
        QTest::newRow("a field") << buttons << "Button01.title" << QVariant(QStringLiteral("One"));
        QTest::newRow("inside a folder") << buttons << "Button03.folder.Button02.path"
                                         << QVariant(QStringLiteral("Folder"));
        QTest::newRow("through a string") << buttons << "Button01.title.x" << QVariant();
        QTest::newRow("through an array") << buttons << "Button01.list.x" << QVariant();
        QTest::newRow("through null") << buttons << "Button01.folder.Button01" << QVariant();
        QTest::newRow("missing on the way") << buttons << "Button02.title" << QVariant();
        QTest::newRow("missing at the end") << buttons << "Button01.icon" << QVariant();
        QTest::newRow("keys are case-sensitive") << buttons << "button01.title" << QVariant();
        QTest::newRow("empty path, no empty key") << buttons << "" << QVariant();
        QTest::newRow("empty path, empty key")
            << QByteArray("{\"\": \"root\"}") << "" << QVariant(QStringLiteral("root"));
        QTest::newRow("trailing full stop") << buttons << "Button01." << QVariant(QStringLiteral("unnamed"));
        QTest::newRow("trailing full stop, no empty key") << buttons << "Button03." << QVariant();
        QTest::newRow("null document") << QByteArray("not JSON") << "Button01" << QVariant();
        QTest::newRow("array document") << QByteArray("[{\"Button01\": 1}]") << "Button01" << QVariant();
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

    void getWholeButtonNullAndNumber()
    {
        jsonDocument = parse("{\"Button01\": {\"title\": \"One\", \"folder\": null, \"count\": 5}}");

        const QVariant button = get(QStringLiteral("Button01"));
        QCOMPARE(button.userType(), int(QMetaType::QVariantMap));
        QCOMPARE(button.toMap().value(QStringLiteral("title")).toString(), QStringLiteral("One"));

        const QVariant null = get(QStringLiteral("Button01.folder"));
        QVERIFY(null.isValid());
        QVERIFY(null.isNull());
        QVERIFY(null.toString().isEmpty());

        QCOMPARE(get(QStringLiteral("Button01.count")).toDouble(), 5.0);
    }

    void set_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray two = "{\"Button01\": {\"title\": \"One\"}, \"Button02\": {\"title\": \"Two\"}}";
        QTest::newRow("replace a field") << two << "Button01.title" << QVariant(QStringLiteral("New"))
                                         << QByteArray("{\"Button01\": {\"title\": \"New\"}, \"Button02\": "
                                                       "{\"title\": \"Two\"}}");
        QTest::newRow("new field beside others")
            << two << "Button02.path" << QVariant(QStringLiteral("p"))
            << QByteArray("{\"Button01\": {\"title\": \"One\"}, \"Button02\": {\"path\": \"p\", \"title\": \"Two\"}}");
        QTest::newRow("missing button is created")
            << two << "Button05.title" << QVariant(QStringLiteral("Five"))
            << QByteArray("{\"Button01\": {\"title\": \"One\"}, \"Button02\": {\"title\": \"Two\"}, "
                          "\"Button05\": {\"title\": \"Five\"}}");
        QTest::newRow("string on the way is replaced")
            << QByteArray("{\"Button03\": {\"folder\": \"x\", \"title\": \"T\"}}") << "Button03.folder.Button02.path"
            << QVariant(QStringLiteral("p"))
            << QByteArray("{\"Button03\": {\"folder\": {\"Button02\": {\"path\": \"p\"}}, \"title\": \"T\"}}");
        QTest::newRow("null on the way is replaced")
            << QByteArray("{\"Button03\": {\"folder\": null}}") << "Button03.folder.Button02.path"
            << QVariant(QStringLiteral("p"))
            << QByteArray("{\"Button03\": {\"folder\": {\"Button02\": {\"path\": \"p\"}}}}");
        QTest::newRow("array on the way is replaced")
            << QByteArray("{\"a\": [1, 2]}") << "a.b" << QVariant(true) << QByteArray("{\"a\": {\"b\": true}}");
        QTest::newRow("empty path") << two << "" << QVariant(QStringLiteral("e"))
                                    << QByteArray("{\"\": \"e\", \"Button01\": {\"title\": \"One\"}, "
                                                  "\"Button02\": {\"title\": \"Two\"}}");
        QTest::newRow("empty key in the middle")
            << QByteArray("{}") << "a..b" << QVariant(1.5) << QByteArray("{\"a\": {\"\": {\"b\": 1.5}}}");
        QTest::newRow("null document") << QByteArray("not JSON") << "Button01.title" << QVariant(QStringLiteral("x"))
                                       << QByteArray("{\"Button01\": {\"title\": \"x\"}}");
        QTest::newRow("array document") << QByteArray("[1]") << "k" << QVariant(QStringLiteral("v"))
                                        << QByteArray("{\"k\": \"v\"}");
        QTest::newRow("invalid value is null")
            << QByteArray("{\"Button01\": {\"folder\": {\"Button01\": {}}}}") << "Button01.folder" << QVariant()
            << QByteArray("{\"Button01\": {\"folder\": null}}");
        QTest::newRow("whole object") << two << "Button02"
                                      << QVariant(QJsonObject { { QStringLiteral("path"), QStringLiteral("Folder") },
                                             { QStringLiteral("folder"), QJsonObject() } })
                                      << QByteArray("{\"Button01\": {\"title\": \"One\"}, \"Button02\": "
                                                    "{\"folder\": {}, \"path\": \"Folder\"}}");
        QTest::newRow("map value") << QByteArray(
            "{}") << "x" << QVariant(QVariantMap { { QStringLiteral("b"), 2.0 }, { QStringLiteral("a"), 1.0 } })
                                   << QByteArray("{\"x\": {\"a\": 1, \"b\": 2}}");
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

    void setThenGetReturnsTheValue_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("string") << "Button01.folder.Button02.title" << QVariant(QStringLiteral("Deep"));
        QTest::newRow("number") << "Button02.count" << QVariant(7.25);
        QTest::newRow("bool") << "flag" << QVariant(false);
        QTest::newRow("empty key") << "Button01." << QVariant(QStringLiteral("e"));
    }
    void setThenGetReturnsTheValue()
    {
        QFETCH(QString, path);
        QFETCH(QVariant, value);
        jsonDocument = parse("{\"Button01\": {\"folder\": null}, \"Button02\": {}}");
        set(path, value);
        QCOMPARE(get(path), value);
    }

    void readDiscardsUnsavedChanges()
    {
        QJsonObject root = defaultButtonsLevel();
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        invoke("readJson");
        set(QStringLiteral("Button01.title"), QStringLiteral("unsaved"));
        invoke("readJson");
        QCOMPARE(jsonDocument.object(), root);
    }

    void missingFileReadsEmptyAndSavesOnlyWhatWasSet()
    {
        QFile::remove(buttonsFilePath());
        invoke("readJson");
        QVERIFY(!get(QStringLiteral("Button01")).isValid());
        set(QStringLiteral("Button02.title"), QStringLiteral("Only"));
        invoke("saveJson");
        QVERIFY(jsonSaved);
        QCOMPARE(QJsonDocument::fromJson(sandbox::readFile(buttonsFilePath())).object(),
            QJsonObject({ { QStringLiteral("Button02"),
                QJsonObject { { QStringLiteral("title"), QStringLiteral("Only") } } } }));
    }

    void savingANullDocumentLeavesTheFile()
    {
        // Unreadable to the editor, but still the user's: an empty save must
        // not wipe it.
        const QByteArray broken = "{\"Button01\": {\"title\": \"half-edited\",";
        QVERIFY(sandbox::writeFile(buttonsFilePath(), broken));
        invoke("readJson");
        QVERIFY(jsonDocument.isNull());
        invoke("saveJson");
        QCOMPARE(sandbox::readFile(buttonsFilePath()), broken);
    }

    void savingOverABrokenFileKeepsItFirst()
    {
        // The editor read a broken file as empty and the user then set a
        // value: the save replaces the file, but its old bytes are kept.
        const QByteArray broken = "{\"Button01\": {\"folder\": {\"Button02\": ";
        QVERIFY(sandbox::writeFile(buttonsFilePath(), broken));
        const QDir folder = QFileInfo(buttonsFilePath()).dir();
        for (const QString &old : folder.entryList({ QStringLiteral("*.bak") }))
            QVERIFY(QFile::remove(folder.filePath(old)));
        invoke("readJson");
        set(QStringLiteral("Button01.title"), QStringLiteral("Fresh"));
        invoke("saveJson");
        QVERIFY(jsonSaved);
        const QStringList backups = folder.entryList({ QStringLiteral("*.bak") });
        QCOMPARE(backups.size(), 1);
        QCOMPARE(sandbox::readFile(folder.filePath(backups.first())), broken);
        QCOMPARE(get(QStringLiteral("Button01.title")).toString(), QStringLiteral("Fresh"));

        // A valid file is simply replaced, without a backup.
        set(QStringLiteral("Button01.title"), QStringLiteral("Again"));
        invoke("saveJson");
        QCOMPARE(folder.entryList({ QStringLiteral("*.bak") }).size(), 1);
    }

    void savesIndentedWithSortedKeys()
    {
        QVERIFY(sandbox::writeFile(buttonsFilePath(), "{\"b\":{\"z\":1,\"a\":[true,null]},\"a\":\"x\"}"));
        invoke("readJson");
        set(QStringLiteral("b.m"), QStringLiteral("new"));
        invoke("saveJson");
        QCOMPARE(sandbox::readFile(buttonsFilePath()),
            QByteArray("{\n"
                       "    \"a\": \"x\",\n"
                       "    \"b\": {\n"
                       "        \"a\": [\n"
                       "            true,\n"
                       "            null\n"
                       "        ],\n"
                       "        \"m\": \"new\",\n"
                       "        \"z\": 1\n"
                       "    }\n"
                       "}\n"));
    }
};

ZARVEL_TEST_MAIN(TestJsonDocument)
#include "tst_jsondocument.moc"

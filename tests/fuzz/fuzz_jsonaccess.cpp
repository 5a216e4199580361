// The settings editor's dotted-path access over arbitrary documents, paths
// and values, checked against the plain model of it: the document as one
// nested variant map, looked up and changed key by key. The editor walks
// the JSON objects instead (the map costs a copy of the whole document per
// keystroke); whatever the input, both must agree on every value read and
// on the document after every change.
//
// Input: "<get path>\n<set path>\n<JSON value>\n<document>".
#include "editor/editorstate.h"
#include "editor/moresettings.h"
#include "tests/fuzz/fuzzing.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QVariantMap>

#include <cstdio>
#include <cstdlib>

static moreSettings *dialog;

static void fail(const char *what)
{
    std::fprintf(stderr, "dotted paths: %s\n", what);
    std::abort();
}

static QVariant modelGet(const QJsonDocument &document, const QString &path)
{
    QVariant value = document.object().toVariantMap();
    for (const QString &key : path.split(QLatin1Char('.'))) {
        if (value.userType() != QMetaType::QVariantMap)
            return QVariant();
        const QVariantMap map = value.toMap();
        const auto it = map.constFind(key);
        if (it == map.constEnd())
            return QVariant();
        value = it.value();
    }
    return value;
}

static void modelSetIn(QVariantMap &map, const QStringList &keys, int index, const QVariant &value)
{
    if (index == keys.size() - 1) {
        map.insert(keys.at(index), value);
        return;
    }
    QVariantMap sub = map.value(keys.at(index)).toMap();
    modelSetIn(sub, keys, index + 1, value);
    map.insert(keys.at(index), sub);
}

static QJsonDocument modelSet(const QJsonDocument &document, const QString &path, const QVariant &value)
{
    QVariantMap root = document.object().toVariantMap();
    modelSetIn(root, path.split(QLatin1Char('.')), 0, value);
    return QJsonDocument(QJsonObject::fromVariantMap(root));
}

static QVariant editorGet(const QString &path)
{
    QVariant result;
    if (!QMetaObject::invokeMethod(dialog, "getJsonDocument", Q_RETURN_ARG(QVariant, result), Q_ARG(QString, path)))
        fail("getJsonDocument is not invokable");
    return result;
}

static void editorSet(const QString &path, const QVariant &value)
{
    if (!QMetaObject::invokeMethod(dialog, "setJsonDocument", Q_ARG(QString, path), Q_ARG(QVariant, value)))
        fail("setJsonDocument is not invokable");
}

static void compare(const QVariant &editor, const QVariant &model, const char *what)
{
    if (editor.isValid() != model.isValid() || editor.userType() != model.userType() || editor != model)
        fail(what);
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzing(argc, argv);
    dialog = new moreSettings;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray input = fuzzInput(data, size);
    const QList<QByteArray> lines = input.split('\n');
    if (lines.size() < 4)
        return 0;
    const QString getPath = QString::fromUtf8(lines.at(0));
    const QString setPath = QString::fromUtf8(lines.at(1));
    // The editor stores strings from its fields, null from its clear
    // buttons and objects when it makes folders; any JSON value will do.
    const QJsonDocument wrapped = QJsonDocument::fromJson("[" + lines.at(2) + "]");
    const QVariant value = wrapped.isArray() && !wrapped.array().isEmpty() ? wrapped.array().first().toVariant()
                                                                          : QVariant(QString::fromUtf8(lines.at(2)));
    const QJsonDocument document = QJsonDocument::fromJson(input.mid(lines.at(0).size() + lines.at(1).size()
                                                                     + lines.at(2).size() + 3));

    jsonDocument = document;
    compare(editorGet(getPath), modelGet(document, getPath), "a value read differs");

    editorSet(setPath, value);
    const QJsonDocument expected = modelSet(document, setPath, value);
    if (jsonDocument != expected)
        fail("the document after a change differs");
    compare(editorGet(getPath), modelGet(expected, getPath), "a value read after a change differs");
    compare(editorGet(setPath), modelGet(expected, setPath), "the value just set reads back differently");
    return 0;
}

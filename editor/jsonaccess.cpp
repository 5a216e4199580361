#include "editor/moresettings.h"

#include "editor/editorstate.h"
#include "panel/buttonsfile.h"

#include <QJsonObject>
#include <QStringList>
#include <QVariantMap>

QJsonDocument jsonDocument;
QFile jsonFile;
bool jsonSaved = true;

// Bound on first use rather than during static initialisation, where the
// panel's buttonsFile may not exist yet; its name was fixed before main().
static QFile &boundJsonFile()
{
    if (jsonFile.fileName().isEmpty())
        jsonFile.setFileName(buttonsFilePath());
    return jsonFile;
}

// Looks up keys[index..] below `value`; `result` is written only when the
// whole remaining path exists.
static void getNestedValue(const QVariant &value, const QStringList &keys, int index, QVariant &result)
{
    const QString &key = keys.at(index);
    if (value.userType() != QMetaType::QVariantMap)
        return;
    const QVariantMap map = value.toMap();
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return;
    if (keys.size() - index == 1)
        result = it.value();
    else
        getNestedValue(it.value(), keys, index + 1, result);
}

// Stores `value` at keys[index..] below `map`, creating the objects that are
// missing and replacing anything along the way that is not an object.
static void setNestedValue(QVariantMap &map, const QStringList &keys, int index, const QVariant &value)
{
    const QString &key = keys.at(index);
    if (keys.size() - index == 1) {
        map.insert(key, value);
        return;
    }
    QVariantMap sub = map.value(key).toMap();
    setNestedValue(sub, keys, index + 1, value);
    map.insert(key, sub);
}

// Empty keys are kept: "" names the member with the empty name, and "a..b"
// runs through one. There is no escaping of full stops inside keys.
static QStringList pathKeys(const QString &path)
{
    return path.split(QLatin1Char('.')); // keeps empty parts, case-sensitive
}

void moreSettings::readJson()
{
    QFile &file = boundJsonFile();
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        bytes = file.readAll();
        file.close();
    }
    jsonDocument = QJsonDocument::fromJson(bytes);
}

void moreSettings::saveJson()
{
    // A null document holds nothing the user set (the file could not be
    // read and nothing was changed): the file is better left as it is than
    // emptied.
    if (jsonDocument.isNull()) {
        jsonSaved = true;
        return;
    }
    // The file may have been broken by hand since the editor read it; the
    // document replaces it only once its old content is kept.
    const QString path = boundJsonFile().fileName();
    jsonSaved = keepUnparsableFile(path) && writeButtonsDocument(path, jsonDocument);
}

QVariant moreSettings::getJsonDocument(QString path)
{
    QVariant result;
    const QVariantMap root = jsonDocument.object().toVariantMap();
    const QStringList keys = pathKeys(path);
    const auto it = root.constFind(keys.first());
    if (it == root.constEnd())
        return result;
    if (keys.size() == 1)
        result = it.value();
    else
        getNestedValue(it.value(), keys, 1, result);
    return result;
}

void moreSettings::setJsonDocument(QString path, QVariant new_value)
{
    QVariantMap root = jsonDocument.object().toVariantMap();
    setNestedValue(root, pathKeys(path), 0, new_value);
    jsonDocument.setObject(QJsonObject::fromVariantMap(root));
}

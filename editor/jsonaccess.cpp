#include "editor/moresettings.h"

#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "editor/editorstate.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

QJsonDocument jsonDocument;
QFile jsonFile;

// Bound on first use rather than during static initialisation, where the
// panel's buttonsFile may not exist yet; its name was fixed before main().
static QFile &boundJsonFile()
{
    if (jsonFile.fileName().isEmpty())
        jsonFile.setFileName(buttonsFilePath());
    return jsonFile;
}

// Looks up keys[index..] below `object`; `result` is written only when the
// whole remaining path exists. Only the value found is converted to a
// variant: the editor asks for single fields on every keystroke, and
// converting the whole document each time grows with every folder in it.
static void getNestedValue(const QJsonObject &object, const QStringList &keys, int index, QVariant &result)
{
    const auto it = object.constFind(keys.at(index));
    if (it == object.constEnd())
        return;
    if (keys.size() - index == 1)
        result = it.value().toVariant();
    else if (it.value().isObject())
        getNestedValue(it.value().toObject(), keys, index + 1, result);
}

// Stores `value` at keys[index..] below `object`, creating the objects that
// are missing and replacing anything along the way that is not an object.
// Objects are shared until written, so only the levels on the path are
// copied.
static void setNestedValue(QJsonObject &object, const QStringList &keys, int index, const QJsonValue &value)
{
    const QString &key = keys.at(index);
    if (keys.size() - index == 1) {
        object.insert(key, value);
        return;
    }
    QJsonObject sub = object.value(key).toObject();
    object.remove(key); // drops the shared reference before the level is changed
    setNestedValue(sub, keys, index + 1, value);
    object.insert(key, sub);
}

// Empty keys are kept: "" names the member with the empty name, and "a..b"
// runs through one. There is no escaping of full stops inside keys.
static QStringList pathKeys(const QString &path)
{
    return path.split(QLatin1Char('.')); // keeps empty parts, case-sensitive
}

void moreSettings::readJson()
{
    const ButtonsRead read = readButtonsFile(boundJsonFile().fileName());
    jsonDocument = read.status == ReadStatus::Ok ? QJsonDocument(read.root) : QJsonDocument();
    m_readBytes = read.bytes;
}

void moreSettings::saveJson()
{
    // A null document holds nothing the user set (the file could not be
    // read and nothing was changed): the file is better left as it is than
    // emptied.
    if (jsonDocument.isNull()) {
        m_jsonSaved = true;
        return;
    }
    // The file may have been broken by hand since the editor read it; the
    // document replaces it only once its old content is kept.
    const QString path = boundJsonFile().fileName();
    m_jsonSaved = keepUnparsableFile(path) && writeButtonsDocument(path, jsonDocument.object());
}

QVariant moreSettings::getJsonDocument(QString path)
{
    QVariant result;
    getNestedValue(jsonDocument.object(), pathKeys(path), 0, result);
    return result;
}

void moreSettings::setJsonDocument(QString path, QVariant new_value)
{
    QJsonObject root = jsonDocument.object();
    jsonDocument = QJsonDocument(); // the only other reference to root
    setNestedValue(root, pathKeys(path), 0, QJsonValue::fromVariant(new_value));
    jsonDocument.setObject(root);
}

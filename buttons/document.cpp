#include "buttons/document.h"

#include "app/config.h"

QString buttonKey(int i)
{
    return QStringLiteral("Button%1").arg(i, 2, 10, QLatin1Char('0'));
}

QJsonObject defaultButton()
{
    return QJsonObject {
        { pathMember, QString() },
        { iconMember, QString() },
        { titleMember, QString() },
        { backgroundMember, QStringLiteral("#000000") },
        { folderMember, QJsonValue::Null },
    };
}

QJsonObject defaultButtonsLevel()
{
    QJsonObject level;
    for (int i = 1; i <= buttonCount; ++i)
        level.insert(buttonKey(i), defaultButton());
    return level;
}

QJsonObject newFolderLevel()
{
    // Slot 1 carries no path: inside a folder it is the way back whatever
    // it stores.
    QJsonObject back = defaultButton();
    back.remove(pathMember);
    back.insert(iconMember, backIcon);
    back.insert(titleMember, backTitle);
    QJsonObject level = defaultButtonsLevel();
    level.insert(buttonKey(1), back);
    return level;
}

bool isFolder(const QJsonValue &button)
{
    return button.toObject().value(pathMember).toString() == folderMarker;
}

QJsonObject folderLevel(const QJsonValue &button)
{
    return button.toObject().value(folderMember).toObject();
}

bool levelAt(const QJsonObject &root, const FolderPath &path, QJsonObject *level)
{
    QJsonObject current = root;
    for (int k : path) {
        const QJsonValue button = current.value(buttonKey(k));
        if (!isFolder(button))
            return false;
        current = folderLevel(button);
    }
    *level = current;
    return true;
}

// Stores `button` at path[depth..] below `level`; the levels on the way are
// copied, changed and put back, so nothing else moves.
static bool storeBelow(QJsonObject &level, const FolderPath &path, int depth, int n, const QJsonObject &button)
{
    if (depth == path.size()) {
        level.insert(buttonKey(n), button);
        return true;
    }
    const QString key = buttonKey(path.at(depth));
    QJsonObject folderButton = level.value(key).toObject();
    if (!isFolder(folderButton))
        return false;
    // A folder that holds no level yet gets a whole new one.
    QJsonObject inner = folderButton.value(folderMember).isObject() ? folderLevel(folderButton) : newFolderLevel();
    if (!storeBelow(inner, path, depth + 1, n, button))
        return false;
    folderButton.insert(folderMember, inner);
    level.insert(key, folderButton);
    return true;
}

bool storeButton(QJsonObject *root, const FolderPath &path, int n, const QJsonObject &button)
{
    QJsonObject changed = *root;
    if (!storeBelow(changed, path, 0, n, button))
        return false;
    *root = changed;
    return true;
}

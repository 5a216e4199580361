#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVector>

// The shape of the buttons document, known here and nowhere else. A level
// is an object holding "Button01" ... "ButtonNN" (buttonCount of them, and
// whatever other members a hand-edited file adds, which are kept as they
// are). Slot NN of a level always shows and changes member "ButtonNN".

// Member names of a button object.
inline const QString pathMember = QStringLiteral("path");
inline const QString iconMember = QStringLiteral("icon");
inline const QString titleMember = QStringLiteral("title");
inline const QString backgroundMember = QStringLiteral("background");
inline const QString folderMember = QStringLiteral("folder");

// The "path" of a folder button, and what the panel takes as the target of
// slot 1 inside a folder, whatever that slot stores: the way back.
inline const QString folderMarker = QStringLiteral("Folder");
inline const QString folderBackMarker = QStringLiteral("FolderBack");

// The look of a folder's way back when its slot 1 stores none.
inline const QString backIcon = QStringLiteral(":/res/back.png");
inline const QString backTitle = QStringLiteral("Back");

// JSON key of button i (1-based): "Button01" ... "Button99".
QString buttonKey(int i);

// One unset button, and a level holding buttonCount of them.
QJsonObject defaultButton();
QJsonObject defaultButtonsLevel();
// The level of a new folder: slot 1 is its way back, the rest are unset.
QJsonObject newFolderLevel();

// The one folder rule: a button is a folder when its "path" is "Folder".
// Its level is its "folder" member; anything there that is not an object
// (null, as a hand edit may leave it) is an empty level, drawn as Back and
// unset buttons, and created by the first assignment into it.
bool isFolder(const QJsonValue &button);
QJsonObject folderLevel(const QJsonValue &button);

// A path of entered folders: the slot numbers from the top level down.
using FolderPath = QVector<int>;

// The level at `path` below `root`; false (and `level` untouched) when an
// entry of `path` no longer names a folder.
bool levelAt(const QJsonObject &root, const FolderPath &path, QJsonObject *level);

// Stores `button` in slot n of the level at `path`, writing every enclosing
// folder back from the inside out. Everything else in the document is kept.
// False, with `root` unchanged, when `path` no longer names folders.
bool storeButton(QJsonObject *root, const FolderPath &path, int n, const QJsonObject &button);

#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// The panel's process-wide handle on buttons.json, bound before main() runs
// to the roaming application-data folder + "/Zarvel/buttons.json". Opened
// and closed around each access; never held open.
extern QFile buttonsFile;

// Path of buttons.json as it is bound at start-up.
QString buttonsFilePath();

// JSON key of button i (1-based): "Button01" ... "Button20".
QString buttonKey(int i);

// One unset button, and a level holding buttonCount of them.
QJsonObject defaultButton();
QJsonObject defaultButtonsLevel();

// Reads a buttons document. Every reader of buttons.json reads its bytes as
// they are: text mode would drop each carriage return, also one inside a
// string, and JSON needs no line-end translation. Anything that is missing, unreadable, not JSON or
// not an object at the top level reads as an empty object.
QJsonObject readButtonsObject(QFile &file);

// The one writer of buttons.json: indented JSON in text mode, written to a
// temporary file beside the target and renamed over it, so a crash, a kill
// or a full disk never leaves a truncated file behind. A symbolic link is
// written through to its file and kept; a link loop is left as it is.
// Creates the folder when it is missing. Returns false when nothing was
// replaced.
bool writeButtonsDocument(const QString &path, const QJsonDocument &document);
bool writeButtonsDocument(const QString &path, const QJsonObject &root);

// Before a file is replaced by a whole new document: when it holds
// something that is not a JSON object (a hand edit gone wrong, a foreign
// file), copies it to a new backup beside it (`backupPath`). Returns false
// only when such a file could not be kept or is read-only, and so must not
// be replaced.
bool keepUnparsableFile(const QString &path, QString *backupPath = nullptr);

// What ensureButtonsFile() found and did.
enum class ButtonsFileCheck {
    Untouched,        // valid and complete: not written at all
    Created,          // there was no file; the default document was written
    Completed,        // missing top-level buttons were added
    ReplacedCorrupt,  // not a JSON object: kept as a backup, then replaced
    Unreadable,       // exists but cannot be read: left alone
    WriteFailed,      // a needed write did not succeed; the old file stands
};

// Makes sure the file exists and holds every top-level button. A file that
// does not parse is first copied to a new backup beside it (see
// backupPath); a file that cannot be read is never overwritten.
ButtonsFileCheck ensureButtonsFile(const QString &path, QString *backupPath = nullptr);

#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// buttons.json on disk: where it is, the one reader, the one writer, the
// backups and the start-up repair.

// The panel's process-wide handle on buttons.json, bound before main() runs
// to the roaming application-data folder + "/Zarvel/buttons.json". Only its
// name is used; every access opens the file anew.
extern QFile buttonsFile;

// Path of buttons.json as it is bound at start-up.
QString buttonsFilePath();

// What a read of buttons.json found.
enum class ReadStatus {
    Ok, // a regular file holding a JSON object
    Missing, // no file by that name
    NotRegular, // a named pipe, a device, a folder: never opened
    Unreadable, // exists but cannot be read
    NotAnObject, // read, but not a JSON object (a hand edit gone wrong)
};

struct ButtonsRead {
    ReadStatus status = ReadStatus::Missing;
    QJsonObject root; // the document when Ok, else empty
    QByteArray bytes; // what was read, for a backup
};

// The strict reader, for whoever may write the file back: it says exactly
// what it found. The bytes are read as they are: text mode would drop each
// carriage return, also one inside a string.
ButtonsRead readButtonsFile(const QString &path);

// The lenient reader, for drawing: anything but a readable object reads as
// an empty object.
QJsonObject readButtonsObject(const QString &path);

// The one writer of buttons.json: indented JSON written to a temporary file
// beside the target and renamed over it, so a crash, a kill or a full disk
// never leaves a truncated file behind. A symbolic link is written through
// to its file and kept; a link loop, a named pipe or a device is left as it
// is. Creates the folder when it is missing. Returns false when nothing was
// replaced.
bool writeButtonsDocument(const QString &path, const QJsonObject &root);

// Before a file is replaced by a whole new document: when it holds
// something that is not a JSON object, copies it to a new backup beside it
// (`backupPath`). Returns false when such a file could not be kept, or when
// the file must not be replaced at all (unreadable, read-only, not a
// regular file).
bool keepUnparsableFile(const QString &path, QString *backupPath = nullptr);

// Removes the temporary files of saves that never ended (the writer's own
// names, `path` + "." + six letters or digits, regular files beside it),
// but only those no save can still be writing: not newer than `path`, or
// untouched for a minute. Backups and every other name stay.
void removeLeftoverSaves(const QString &path);

// What ensureButtonsFile() found and did.
enum class ButtonsFileCheck {
    Untouched, // valid and complete: not written at all
    Created, // there was no file; the default document was written
    Completed, // missing top-level buttons were added
    ReplacedCorrupt, // not a JSON object: kept as a backup, then replaced
    Unreadable, // exists but cannot be read: left alone
    NotRegular, // not a regular file: neither read nor replaced
    WriteFailed, // a needed write did not succeed; the old file stands
};

// Makes sure the file exists and holds every top-level button. A file that
// does not parse is first copied to a new backup beside it (see
// backupPath); a file that cannot be read is never overwritten. Leftovers
// of saves that were killed before they ended go first (see
// removeLeftoverSaves).
ButtonsFileCheck ensureButtonsFile(const QString &path, QString *backupPath = nullptr);

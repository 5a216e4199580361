#include "buttons/buttonsfile.h"

#include "app/config.h"
#include "buttons/document.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

// Bound during static initialisation, before the application object exists:
// the application-data location is then the roaming folder itself, without
// an application name, whatever the executable is called.
QFile buttonsFile(
    QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Zarvel/buttons.json"));

QString buttonsFilePath()
{
    return buttonsFile.fileName();
}

// Whether `path`, when it is a symbolic link, ends in a file or a free name
// within as many links as the system follows.
static bool linksEnd(const QString &path)
{
    QFileInfo info(path);
    for (int links = 0; info.isSymLink(); ++links) {
        if (links == 40)
            return false;
        info.setFile(info.symLinkTarget());
    }
    return true;
}

ButtonsRead readButtonsFile(const QString &path)
{
    ButtonsRead read;
    const QFileInfo info(path);
    if (!info.exists()) {
        read.status = linksEnd(path) ? ReadStatus::Missing : ReadStatus::NotRegular;
        return read;
    }
    // A named pipe would hold the caller until something writes to it, and
    // a device never ends.
    if (!info.isFile()) {
        read.status = ReadStatus::NotRegular;
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.status = ReadStatus::Unreadable;
        return read;
    }
    read.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        read.status = ReadStatus::Unreadable;
        return read;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(read.bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        read.status = ReadStatus::NotAnObject;
        return read;
    }
    read.status = ReadStatus::Ok;
    read.root = document.object();
    return read;
}

QJsonObject readButtonsObject(const QString &path)
{
    return readButtonsFile(path).root;
}

bool writeButtonsDocument(const QString &path, const QJsonObject &root)
{
    // QSaveFile writes through a link to the file it leads to, but replaces
    // a link it cannot follow to its end (a loop) with a plain file, and a
    // device or a pipe with a regular file. Whatever it is, it is the
    // user's: leave it alone.
    if (!linksEnd(path))
        return false;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    QDir().mkpath(info.absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    // Qt 5's QSaveFile commits even when the last flush of its buffer fails
    // (QTBUG-75077): on a full disk a small document would replace the file
    // with an empty one. Flushed here, that failure is seen in time.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// A backup name that no earlier backup uses: buttons.json.<time>.bak, then
// buttons.json.<time>-2.bak and so on within the same second.
static QString freeBackupPath(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QLatin1Char('.') + stamp + QStringLiteral(".bak");
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + QLatin1Char('.') + stamp + QLatin1Char('-') + QString::number(n) + QStringLiteral(".bak");
    return candidate;
}

// Whatever an unparsable file held is the user's: keep it before it is
// replaced. An empty file holds nothing worth a backup. A read-only one is
// not to be replaced at all; a backup at every try would only pile up.
static bool keepBytes(const QString &path, const QByteArray &bytes, QString *backupPath)
{
    if (bytes.trimmed().isEmpty())
        return true;
    if (!QFileInfo(path).isWritable())
        return false;
    const QString backup = freeBackupPath(path);
    if (!QFile::copy(path, backup))
        return false;
    if (backupPath)
        *backupPath = backup;
    return true;
}

bool keepUnparsableFile(const QString &path, QString *backupPath)
{
    const ButtonsRead read = readButtonsFile(path);
    switch (read.status) {
    case ReadStatus::Ok:
    case ReadStatus::Missing:
        return true;
    case ReadStatus::NotAnObject:
        return keepBytes(path, read.bytes, backupPath);
    default:
        return false;
    }
}

void removeLeftoverSaves(const QString &path)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + QLatin1Char('.');
    const QDateTime settled = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QFileInfoList siblings = target.absoluteDir().entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &sibling : siblings) {
        const QString name = sibling.fileName();
        const bool saveName = name.size() == prefix.size() + 6 && name.startsWith(prefix)
            && std::all_of(name.cbegin() + prefix.size(), name.cend(), [](QChar c) {
                   return c.isDigit() || (c.toLatin1() >= 'a' && c.toLatin1() <= 'z')
                       || (c.toLatin1() >= 'A' && c.toLatin1() <= 'Z');
               });
        if (!saveName || sibling.isSymLink() || !sibling.isFile())
            continue;
        const QDateTime changed = sibling.lastModified();
        if ((target.exists() && changed <= target.lastModified()) || changed < settled)
            QFile::remove(sibling.absoluteFilePath());
    }
}

ButtonsFileCheck ensureButtonsFile(const QString &path, QString *backupPath)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    removeLeftoverSaves(path);

    const ButtonsRead read = readButtonsFile(path);
    switch (read.status) {
    case ReadStatus::Missing:
        return writeButtonsDocument(path, defaultButtonsLevel()) ? ButtonsFileCheck::Created
                                                                 : ButtonsFileCheck::WriteFailed;
    case ReadStatus::NotRegular:
        return ButtonsFileCheck::NotRegular;
    case ReadStatus::Unreadable:
        return ButtonsFileCheck::Unreadable;
    case ReadStatus::NotAnObject:
        if (!keepBytes(path, read.bytes, backupPath))
            return ButtonsFileCheck::WriteFailed;
        return writeButtonsDocument(path, defaultButtonsLevel()) ? ButtonsFileCheck::ReplacedCorrupt
                                                                 : ButtonsFileCheck::WriteFailed;
    case ReadStatus::Ok:
        break;
    }

    QJsonObject root = read.root;
    bool changed = false;
    for (int i = 1; i <= buttonCount; ++i) {
        const QJsonValue member = root.value(buttonKey(i));
        if (member.isUndefined() || member.isNull()) {
            root.insert(buttonKey(i), defaultButton());
            changed = true;
        }
    }
    if (!changed)
        return ButtonsFileCheck::Untouched;
    return writeButtonsDocument(path, root) ? ButtonsFileCheck::Completed : ButtonsFileCheck::WriteFailed;
}

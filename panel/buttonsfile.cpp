#include "panel/buttonsfile.h"

#include "app/config.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStandardPaths>

// Bound during static initialisation, before the application object exists:
// the application-data location is then the roaming folder itself, without
// an application name, whatever the executable is called.
QFile buttonsFile(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                  + QStringLiteral("/Zarvel/buttons.json"));

QString buttonsFilePath()
{
    return buttonsFile.fileName();
}

QString buttonKey(int i)
{
    return QStringLiteral("Button%1").arg(i, 2, 10, QLatin1Char('0'));
}

QJsonObject defaultButton()
{
    return QJsonObject{
        {QStringLiteral("path"), QString()},
        {QStringLiteral("icon"), QString()},
        {QStringLiteral("title"), QString()},
        {QStringLiteral("background"), QStringLiteral("#000000")},
        {QStringLiteral("folder"), QJsonValue::Null},
    };
}

QJsonObject defaultButtonsLevel()
{
    QJsonObject level;
    for (int i = 1; i <= buttonCount; ++i)
        level.insert(buttonKey(i), defaultButton());
    return level;
}

QJsonObject readButtonsObject(QFile &file)
{
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    const QByteArray bytes = file.readAll();
    file.close();
    return QJsonDocument::fromJson(bytes).object();
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

bool writeButtonsDocument(const QString &path, const QJsonDocument &document)
{
    // Writing a null document would leave an empty file: never do that.
    if (document.isNull())
        return false;
    // QSaveFile writes through a link to the file it leads to, but replaces
    // a link it cannot follow to its end (a loop) with a plain file. The
    // link is the user's, whatever it is for: leave it alone.
    if (!linksEnd(path))
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QByteArray bytes = document.toJson(QJsonDocument::Indented);
    // Qt 5's QSaveFile commits even when the last flush of its buffer fails
    // (QTBUG-75077): on a full disk a small document would replace the file
    // with an empty one. Flushed here, that failure is seen in time.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool writeButtonsDocument(const QString &path, const QJsonObject &root)
{
    return writeButtonsDocument(path, QJsonDocument(root));
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
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    if (QJsonDocument::fromJson(bytes).isObject())
        return true;
    return keepBytes(path, bytes, backupPath);
}

ButtonsFileCheck ensureButtonsFile(const QString &path, QString *backupPath)
{
    QDir().mkpath(QFileInfo(path).absolutePath());

    if (!QFileInfo::exists(path)) {
        return writeButtonsDocument(path, defaultButtonsLevel()) ? ButtonsFileCheck::Created
                                                                 : ButtonsFileCheck::WriteFailed;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ButtonsFileCheck::Unreadable;
    const QByteArray bytes = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed)
        return ButtonsFileCheck::Unreadable;

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        if (!keepBytes(path, bytes, backupPath))
            return ButtonsFileCheck::WriteFailed;
        return writeButtonsDocument(path, defaultButtonsLevel()) ? ButtonsFileCheck::ReplacedCorrupt
                                                                 : ButtonsFileCheck::WriteFailed;
    }

    QJsonObject root = document.object();
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

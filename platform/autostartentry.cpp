#include "platform/autostartentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace {

// The escapes every string value of a desktop entry takes.
QString desktopString(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            escaped += QLatin1String("\\s");
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

QString desktopExecArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument) {
        if (reserved.contains(c))
            quote = true;
    }
    QString result;
    if (quote) {
        result += QLatin1Char('"');
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                result += QLatin1Char('\\');
            result += c;
        }
        result += QLatin1Char('"');
    } else {
        result = argument;
    }
    // Field codes start with %; a literal one is doubled.
    result.replace(QLatin1Char('%'), QLatin1String("%%"));
    return result;
}

QByteArray autostartEntry(const QString &programPath)
{
    const QFileInfo program(programPath);
    const QString text = QLatin1String("[Desktop Entry]\n"
                                       "Type=Application\n"
                                       "Name=Zarvel\n"
                                       "Comment=Pop-up launcher: hold Alt and press the right mouse button\n")
        + QLatin1String("Exec=") + desktopString(desktopExecArgument(program.absoluteFilePath()))
        + QLatin1String("\nIcon=zarvel\nPath=") + desktopString(program.absolutePath())
        + QLatin1String("\nTerminal=false\n");
    return text.toUtf8();
}

QString autostartEntryPath(const QString &folder, const QString &programPath)
{
    return folder + QLatin1Char('/') + QFileInfo(programPath).completeBaseName() + QLatin1String(".desktop");
}

bool writeAutostartEntry(const QString &folder, const QString &programPath, bool replace)
{
    const QString entry = autostartEntryPath(folder, programPath);
    const QFileInfo existing(entry);
    if (replace && existing.isFile()) {
        QSaveFile file(entry);
        const QByteArray content = autostartEntry(programPath);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
    }
    // A dangling link is the user's too.
    if (existing.exists() || existing.isSymLink())
        return true;
    if (!QDir().mkpath(folder))
        return false;

    // Written aside and renamed into place: the entry is never seen half
    // written, and rename() refuses to replace an entry made meanwhile.
    QTemporaryFile file(folder + QLatin1String("/.zarvel-autostart-XXXXXX"));
    const QByteArray content = autostartEntry(programPath);
    if (!file.open() || file.write(content) != content.size() || !file.flush())
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    file.close();
    return QFile::rename(file.fileName(), entry) || QFileInfo::exists(entry);
}

QString windowsStartupShortcut(
    const QString &appDataLocation, const QString &organization, const QString &application, const QString &programPath)
{
    QString roaming = QDir::fromNativeSeparators(appDataLocation);
    for (const QString &name : { application, organization }) {
        if (!name.isEmpty() && roaming.endsWith(QLatin1Char('/') + name))
            roaming.chop(name.size() + 1);
    }
    return roaming + QLatin1String("/Microsoft/Windows/Start Menu/Programs/Startup/")
        + QFileInfo(programPath).completeBaseName() + QLatin1String(".lnk");
}

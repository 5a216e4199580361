#include "buttons/buttonstyle.h"

#include "app/picture.h"
#include "buttons/document.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

QString buttonStyleSheet(const QString &colour)
{
    return QStringLiteral("QPushButton{min-width: 40px; min-height: 40px; max-width: 40px; "
                          "max-height: 40px;background-color: ")
        + colour + QStringLiteral(";border: 1px solid ") + colour
        + QStringLiteral(";border-radius: 3px;}QPushButton:hover{background-color: rgb(226, 230, 233);}");
}

QString stripPathQuotes(const QString &pathWithQuote)
{
    const int q1 = pathWithQuote.indexOf(QLatin1Char('"'));
    const int q2 = pathWithQuote.indexOf(QLatin1Char('"'), 1);
    if (q1 >= 0 && q2 > q1 + 1)
        return pathWithQuote.mid(q1 + 1, q2 - q1 - 1);
    return pathWithQuote;
}

QString quoteStoredPath(const QString &file)
{
    // Three quotes in a row stand for one literal quote when the stored text
    // is split into program and arguments, so a file whose name holds a
    // quote still starts as itself.
    QString escaped = file;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString targetName(const QString &storedPath)
{
    const QString first = QProcess::splitCommand(storedPath).value(0, storedPath.trimmed());
    if (first.contains(QLatin1String("://")))
        return first;
    const QString name = QFileInfo(first).fileName();
    return name.isEmpty() ? first : name;
}

SpokenButton spokenButton(int n, const QString &storedPath, const QString &title)
{
    if (storedPath == folderBackMarker)
        return { title.isEmpty() ? backTitle : title, QStringLiteral("Back out of this folder") };
    QString name = title;
    if (name.isEmpty() && !storedPath.trimmed().isEmpty())
        name = targetName(storedPath);
    if (name.isEmpty())
        name = QStringLiteral("Empty button ") + QString::number(n);
    if (storedPath == folderMarker)
        return { name, title.isEmpty() ? folderMarker : QStringLiteral("Folder: ") + title };
    // The words of the command as the user would say them, without the
    // quotes that hold a path with spaces together.
    const QStringList words = QProcess::splitCommand(storedPath);
    return { name, words.isEmpty() ? storedPath.trimmed() : words.join(QLatin1Char(' ')) };
}

// The file a stored target names, as a click finds it: its first word, a
// leading ~/ in the home folder, a bare program name in PATH, a bare entry
// name among the installed applications; empty for an address that is no
// local file.
static QString targetFile(const QString &storedPath)
{
    QString word = QProcess::splitCommand(storedPath).value(0);
    if (!QFileInfo::exists(word) && QFileInfo::exists(storedPath.trimmed()))
        word = storedPath.trimmed(); // a name with blanks typed without quotes
    if (word.contains(QLatin1String("://"))) {
        const QUrl url(word);
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    if (word.startsWith(QLatin1String("~/")))
        return QDir::homePath() + word.mid(1);
    if (!word.contains(QLatin1Char('/')) && !word.contains(QLatin1Char('\\'))) {
        const QString program = word.endsWith(QLatin1String(".desktop"))
            ? QStandardPaths::locate(QStandardPaths::ApplicationsLocation, word)
            : QStandardPaths::findExecutable(word);
        if (!program.isEmpty())
            return program;
    }
    return word;
}

static bool isMarker(const QString &storedPath)
{
    return storedPath == folderMarker || storedPath == folderBackMarker;
}

// Whether an "icon" that names no file is a name in the icon theme
// ("firefox", "text-x-generic").
static bool isThemeName(const QString &text)
{
    if (text.isEmpty() || text.size() > 255)
        return false;
    for (const QChar c : text)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') && c != QLatin1Char('.')
            && c != QLatin1Char('+'))
            return false;
    return !QFileInfo::exists(text);
}

// Adds the picture `file` within `side` x `side` pixels; false when it
// cannot be read.
static bool addPicture(ButtonIcon *look, const QString &file, int side)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1;
    QPixmap picture = QPixmap::fromImage(file.isEmpty() ? QImage() : readPicture(file, QSize(side, side) * ratio));
    if (picture.isNull())
        return false;
    picture.setDevicePixelRatio(ratio);
    look->icon.addPixmap(picture);
    look->size = QSize(side, side);
    return true;
}

// The system's icon of a file (the shell's on Windows) at 32 x 32.
static bool addSystemIcon(ButtonIcon *look, const QIcon &icon)
{
    const QPixmap pixmap = icon.pixmap(QSize(32, 32));
    if (pixmap.isNull())
        return false;
    look->icon.addPixmap(pixmap);
    look->size = QSize(32, 32);
    return true;
}

// What a target shows by itself: a folder button or a folder its folder
// picture, a program its application's icon, a document the icon of its
// type, else a plain page; never nothing, so that a button with a target
// is never an empty square, also where no icon theme is installed.
static ButtonIcon targetIcon(const QString &storedPath, const QString &file, const QFileIconProvider &provider)
{
    ButtonIcon look;
    const QString folderPicture = QStringLiteral(":/res/folder.png");
    if (storedPath == folderBackMarker && addPicture(&look, backIcon, 30))
        return look;
    const QFileInfo info(file);
    if ((storedPath == folderMarker || info.isDir()) && addPicture(&look, folderPicture, 30))
        return look;
    if (addPicture(&look, Platform::instance().applicationIconFile(file), 32))
        return look;
    // A theme without the generic document icon has no icons of types: the
    // types database, half a megabyte once asked, is then not worth asking.
    // The content tells a regular file's type; a pipe or a device is never
    // read for it.
    const QString genericIcon = Platform::instance().themeIconFile(QStringLiteral("text-x-generic"));
    if (!genericIcon.isEmpty()) {
        const QMimeDatabase types;
        const QMimeType type = file.isEmpty() ? types.mimeTypeForName(QStringLiteral("text/html"))
            : info.isFile()                   ? types.mimeTypeForFile(info)
                                              : types.mimeTypeForFile(file, QMimeDatabase::MatchExtension);
        for (const QString &name : { type.iconName(), type.genericIconName() })
            if (addPicture(&look, Platform::instance().themeIconFile(name), 32))
                return look;
    }
#ifdef Q_OS_WIN
    // The shell's own icon of the file.
    if (info.exists() && addSystemIcon(&look, provider.icon(info)))
        return look;
#else
    // Elsewhere Qt's file icon is its style's one generic page, drawn
    // through every image plugin: the built-in page shows the same.
    Q_UNUSED(provider)
#endif
    addPicture(&look, QStringLiteral(":/res/document.png"), 30);
    return look;
}

// The drawing rule: the icon the button names (an application's, a
// program's, a picture's or one of the icon theme), else its target's own.
static ButtonIcon makeButtonIcon(const QString &storedPath, const QString &file, const QString &target,
    const QString &iconFile, const QFileIconProvider &provider)
{
    ButtonIcon look;
    if (iconFile.isEmpty() || iconFile == target)
        return targetIcon(storedPath, file, provider);
    // A desktop entry or a program shows the application's own icon, not
    // the generic icon of its file.
    if (addPicture(&look, Platform::instance().applicationIconFile(iconFile), 32))
        return look;
    if (QFileInfo(iconFile).completeSuffix() == QLatin1String("exe")) {
        if (addSystemIcon(&look, provider.icon(QFileInfo(iconFile))))
            return look;
    } else if (isThemeName(iconFile)) {
        if (addPicture(&look, Platform::instance().themeIconFile(iconFile), 32))
            return look;
    } else if (addPicture(&look, iconFile, 30)) {
        return look;
    }
    return targetIcon(storedPath, file, provider);
}

ButtonIcon ButtonIcons::icon(const QString &target, const QString &icon, const QFileIconProvider &provider)
{
    const quint64 applications = Platform::instance().applicationsGeneration();
    if (applications != m_applications) {
        m_made.clear();
        m_applications = applications;
    }
    const QString realTarget = stripPathQuotes(target);
    const QString iconFile = stripPathQuotes(icon);
    const QFileInfo info(iconFile);
    // A bare program name shows the program PATH finds now.
    const QString file = isMarker(target) ? QString() : targetFile(target);
    const QString key = target + QLatin1Char('\n') + file + QLatin1Char('\n') + iconFile + QLatin1Char('\n')
        + QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('/') + QString::number(info.size());
    auto found = m_made.constFind(key);
    if (found == m_made.constEnd()) {
        if (m_made.size() >= 256)
            m_made.clear();
        const ButtonIcon look = makeButtonIcon(target, file, realTarget, iconFile, provider);
        const QList<QSize> sizes = look.icon.availableSizes();
        const QImage image = sizes.isEmpty() ? QImage() : look.icon.pixmap(sizes.first()).toImage();
        found = m_made.insert(key, { image, look.size });
    }
    ButtonIcon look;
    if (!found->image.isNull()) {
        look.icon.addPixmap(QPixmap::fromImage(found->image));
        look.source = found->image.cacheKey();
    }
    look.size = found->size;
    return look;
}

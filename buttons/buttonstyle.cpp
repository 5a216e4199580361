#include "buttons/buttonstyle.h"

#include "app/picture.h"
#include "buttons/document.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>

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

static ButtonIcon makeButtonIcon(const QString &target, const QString &iconFile, const QFileIconProvider &provider)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1;
    ButtonIcon look;
    // A desktop entry or a program shows the application's own icon, not
    // the generic icon of its file.
    const QString entryIcon = Platform::instance().applicationIconFile(iconFile);
    QPixmap entryPixmap
        = QPixmap::fromImage(entryIcon.isEmpty() ? QImage() : readPicture(entryIcon, QSize(32, 32) * ratio));
    if (!entryPixmap.isNull()) {
        entryPixmap.setDevicePixelRatio(ratio);
        look.icon.addPixmap(entryPixmap);
        look.size = QSize(32, 32);
    } else if (QFileInfo(iconFile).completeSuffix() == QLatin1String("exe") || iconFile == target) {
        look.icon.addPixmap(provider.icon(QFileInfo(iconFile)).pixmap(QSize(32, 32)));
        look.size = QSize(32, 32);
    } else if (!iconFile.isEmpty()) {
        QPixmap picture = QPixmap::fromImage(readPicture(iconFile, QSize(30, 30) * ratio));
        if (!picture.isNull()) {
            picture.setDevicePixelRatio(ratio);
            look.icon.addPixmap(picture);
        }
        look.size = QSize(30, 30);
    }
    return look;
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
    const QString key = realTarget + QLatin1Char('\n') + iconFile + QLatin1Char('\n')
        + QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('/') + QString::number(info.size());
    auto found = m_made.constFind(key);
    if (found == m_made.constEnd()) {
        if (m_made.size() >= 256)
            m_made.clear();
        const ButtonIcon look = makeButtonIcon(realTarget, iconFile, provider);
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

#include "buttons/buttonstyle.h"

#include "platform/platform.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QPixmap>
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

ButtonIcon buttonIcon(const QString &target, const QString &icon, const QFileIconProvider &provider)
{
    const QString realTarget = stripPathQuotes(target);
    const QString iconFile = stripPathQuotes(icon);
    ButtonIcon look;
    // A desktop entry shows the application's own icon, not the generic
    // icon of a .desktop file.
    const QPixmap entryPixmap = Platform::instance().applicationIcon(iconFile).pixmap(32, 32, QIcon::Normal, QIcon::Off);
    if (!entryPixmap.isNull()) {
        look.icon.addPixmap(entryPixmap, QIcon::Normal, QIcon::Off);
        look.size = QSize(32, 32);
    } else if (QFileInfo(iconFile).completeSuffix() == QLatin1String("exe") || iconFile == realTarget) {
        const QPixmap pixmap = provider.icon(QFileInfo(iconFile)).pixmap(32, 32, QIcon::Normal, QIcon::Off);
        look.icon.addPixmap(pixmap, QIcon::Normal, QIcon::Off);
        look.size = QSize(32, 32);
    } else if (!iconFile.isEmpty()) {
        // Only a regular file is read: a named pipe would hold the panel
        // until something writes to it, and a device never ends.
        if (QFileInfo(iconFile).isFile())
            look.icon.addPixmap(QPixmap(iconFile), QIcon::Normal, QIcon::Off);
        look.size = QSize(30, 30);
    }
    return look;
}

void applyButtonIcon(QPushButton *button, const ButtonIcon &look)
{
    if (look.size.isValid())
        button->setIconSize(look.size);
    button->setIcon(look.icon);
}

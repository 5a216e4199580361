#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

class QFileIconProvider;

// The 40 x 40 square of a grid button in `colour` (background and border),
// light grey under the mouse. The panel and the settings editor share it.
QString buttonStyleSheet(const QString &colour);

// A stored path without its surrounding double quotes: the text between a
// leading quote and the next one, when that span is not empty; any other
// text unchanged (arguments after the closing quote are dropped).
QString stripPathQuotes(const QString &pathWithQuote);

// The stored form of a chosen file: the path in double quotes, with a quote
// inside the name written as three quotes.
QString quoteStoredPath(const QString &file);

// What the user calls a stored target: the file name of its program, or the
// whole address of a URL.
QString targetName(const QString &storedPath);

// What a screen reader says of slot n showing `storedPath` (the Back marker
// for a folder's way back) with `title`: its name is the title, else its
// target's name, else "Empty button N"; its description is the target as
// the user reads it, what a folder or Back opens, or none for an empty slot.
struct SpokenButton {
    QString name;
    QString description;
};
SpokenButton spokenButton(int n, const QString &storedPath, const QString &title);

// What a grid button shows for a stored (target, icon) pair; `size` is
// invalid when the button keeps the icon size it had.
struct ButtonIcon {
    QIcon icon;
    QSize size;
    // Which made picture the icon shows (0: none): the same source is the
    // same picture.
    qint64 source = 0;
};

// The icons of one grid's buttons. Redraws come with every click and every
// change of the file: an icon is made once, and again only when its file,
// or the installed applications it may come from, change.
class ButtonIcons {
public:
    // The drawing rule shared by the panel and the editor: the icon a
    // desktop entry names (Linux) or the system's icon of a program
    // (complete suffix "exe") at 32 x 32, a name in the icon theme at
    // 32 x 32, otherwise the picture at 30 x 30. A button whose icon is
    // unset, names the target itself or cannot be read shows its target's
    // own: the folder picture for a folder, a program's application icon,
    // a document's type icon, at worst a plain page.
    ButtonIcon icon(const QString &target, const QString &icon, const QFileIconProvider &provider);

private:
    struct Made {
        QImage image;
        QSize size;
    };
    QHash<QString, Made> m_made;
    // Platform::applicationsGeneration() when m_made was begun.
    quint64 m_applications = 0;
};

#include "platform/icontheme.h"

#include "platform/regularfile.h"

#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QStandardPaths>
#include <QVector>

#include <algorithm>

namespace {

struct ThemeIndex {
    QStringList inherits;
    QVector<QPair<QString, int>> folders; // with a slash at their end, and the size of their icons
};

// The index.theme of the theme in `folder`, read once, and never more than
// a large theme's few tens of kilobytes.
ThemeIndex readIndex(const QString &folder)
{
    const QString file = folder + QLatin1String("index.theme");
    static QHash<QString, ThemeIndex> read;
    const auto known = read.constFind(file);
    if (known != read.constEnd())
        return *known;
    ThemeIndex &index = read[file];
    QByteArray bytes;
    if (!readRegularFile(file, 256 << 10, &bytes))
        return index;
    QString group;
    QHash<QString, int> sizes; // of each folder's group
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const int equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('['))) {
            group = line.mid(1, line.size() - 2);
        } else if (equals > 0) {
            const QString key = line.left(equals).trimmed();
            const QString value = line.mid(equals + 1).trimmed();
            const bool theme = group == QLatin1String("Icon Theme");
            if (theme && key == QLatin1String("Inherits"))
                index.inherits = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
            if (theme && key == QLatin1String("Directories"))
                for (const QString &name : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                    index.folders.append({ name.trimmed(), 0 });
            if (key == QLatin1String("Size"))
                sizes.insert(group, value.toInt());
        }
    }
    // A theme names every folder it may have; few are there.
    QVector<QPair<QString, int>> there;
    for (const auto &named : qAsConst(index.folders))
        if (QFileInfo(folder + named.first).isDir())
            there.append({ folder + named.first + QLatin1Char('/'), sizes.value(named.first) });
    index.folders = there;
    return index;
}

const QStringList suffixes { QStringLiteral(".png"), QStringLiteral(".svg") };

} // namespace

QString themeIconFile(const QString &name, int side)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    QStringList themes { QIcon::themeName(), QIcon::fallbackThemeName() };
    themes.removeAll(QString());
    // Qt names the system's icon folders only where a platform theme tells
    // it to; the folders of the freedesktop icon themes are these.
    QStringList bases = QIcon::themeSearchPaths();
    for (const QString &folder : QStandardPaths::locateAll(
             QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory))
        if (!bases.contains(folder))
            bases.append(folder);
    for (int i = 0; i <= themes.size() && i < 16; ++i) {
        if (i == themes.size()) { // the last resort of every theme
            if (themes.contains(QLatin1String("hicolor")))
                break;
            themes.append(QStringLiteral("hicolor"));
        }
        QVector<QPair<int, QString>> folders; // how far their size is from `side`, and where
        for (const QString &base : qAsConst(bases)) {
            const QString theme = base + QLatin1Char('/') + themes.at(i) + QLatin1Char('/');
            const ThemeIndex index = readIndex(theme);
            for (const auto &folder : index.folders)
                folders.append({ qAbs(folder.second - side), folder.first });
            for (const QString &inherited : index.inherits)
                if (!themes.contains(inherited.trimmed()))
                    themes.append(inherited.trimmed());
        }
        std::stable_sort(
            folders.begin(), folders.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &folder : qAsConst(folders))
            for (const QString &suffix : suffixes)
                if (QFileInfo(folder.second + name + suffix).isFile())
                    return folder.second + name + suffix;
    }
    for (const QString &folder : QIcon::fallbackSearchPaths() + QStringList { QStringLiteral("/usr/share/pixmaps") })
        for (const QString &suffix : suffixes + QStringList { QStringLiteral(".xpm") })
            if (QFileInfo(folder + QLatin1Char('/') + name + suffix).isFile())
                return folder + QLatin1Char('/') + name + suffix;
    return QString();
}

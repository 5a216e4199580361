#include "platform/icontheme.h"

#include "platform/regularfile.h"

#include <QDir>
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

// The [Icon Theme] group of the index.theme of the theme in `folder`, read
// once, never more than a large theme's few tens of kilobytes. A folder's
// icon size is the first number in its name ("48x48/apps", "apps/48"), as
// themes name them; a scalable one has none.
ThemeIndex readIndex(const QString &folder, int side)
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
    QStringList named;
    for (int at = 0, end = 0; at < bytes.size() && (at == 0 || bytes.at(at) != '['); at = end + 1) {
        end = bytes.indexOf('\n', at);
        end = end < 0 ? bytes.size() : end;
        const QByteArray line = QByteArray::fromRawData(bytes.constData() + at, end - at).trimmed();
        if (line.startsWith("Inherits="))
            index.inherits = QString::fromUtf8(line.mid(9)).split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (line.startsWith("Directories="))
            named = QString::fromUtf8(line.mid(12)).split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    // A theme names every folder it may have; few are there.
    const QStringList there = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : qAsConst(named)) {
        const QString path = folder + name.trimmed() + QLatin1Char('/');
        if (!there.contains(name.section(QLatin1Char('/'), 0, 0).trimmed()) || !QFileInfo(path).isDir())
            continue;
        int digits = 0;
        while (digits < name.size() && !name.at(digits).isDigit())
            ++digits;
        const int size = name.midRef(digits)
                             .toString()
                             .section(QLatin1Char('x'), 0, 0)
                             .section(QLatin1Char('@'), 0, 0)
                             .section(QLatin1Char('/'), 0, 0)
                             .toInt();
        index.folders.append({ path, size > 0 ? size : side });
    }
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
            const ThemeIndex index = readIndex(theme, side);
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

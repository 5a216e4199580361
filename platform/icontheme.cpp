#include "platform/icontheme.h"

#include "platform/regularfile.h"

#include <QFile>
#include <QHash>
#include <QIcon>
#include <QStandardPaths>
#include <QVector>

#include <algorithm>
#include <cctype>
#include <string>
#include <sys/stat.h>

namespace {

struct ThemeIndex {
    QStringList inherits;
    // Where its folders are, with a slash at the end, and the size of their
    // icons (0: scalable).
    QVector<QPair<QByteArray, int>> folders;
};

// The [Icon Theme] group of the index.theme of the theme in `folder`, read
// once, never more than a large theme's few tens of kilobytes, and only the
// folders it names that are there. A folder's icon size is the first number
// in its name ("48x48/apps", "apps/48"), as themes name them.
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
    QByteArray named;
    for (int at = 0, end = 0; at < bytes.size() && (at == 0 || bytes.at(at) != '['); at = end + 1) {
        end = bytes.indexOf('\n', at);
        end = end < 0 ? bytes.size() : end;
        const QByteArray line = QByteArray::fromRawData(bytes.constData() + at, end - at).trimmed();
        if (line.startsWith("Inherits="))
            index.inherits = QString::fromUtf8(line.mid(9)).split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (line.startsWith("Directories="))
            named = line.mid(12);
    }
    // A theme names every folder it may have, and few are there; each is
    // looked for without a string made for it.
    const QByteArray base = QFile::encodeName(folder);
    std::string path;
    for (int at = 0, end = 0; at < named.size(); at = end + 1) {
        end = named.indexOf(',', at);
        end = end < 0 ? named.size() : end;
        const QByteArray name = QByteArray::fromRawData(named.constData() + at, end - at).trimmed();
        path.assign(base.constData(), size_t(base.size())).append(name.constData(), size_t(name.size()));
        struct stat info;
        if (name.isEmpty() || ::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            continue;
        int digit = 0;
        while (digit < name.size() && !isdigit(uchar(name.at(digit))))
            ++digit;
        int size = 0;
        for (; digit < name.size() && isdigit(uchar(name.at(digit))) && size < 100000; ++digit)
            size = size * 10 + (name.at(digit) - '0');
        index.folders.append({ base + name + '/', size });
    }
    return index;
}

const char *const suffixes[] = { ".png", ".svg", ".xpm" };

// Whether `folder` + `name` + `suffix` is a file; asked for every folder of
// every theme when an icon is missing, so without a string made each time.
bool isFile(std::string *path, const QByteArray &folder, const QByteArray &name, const char *suffix)
{
    path->assign(folder.constData(), size_t(folder.size())).append(name.constData(), size_t(name.size()));
    path->append(suffix);
    struct stat info;
    return ::stat(path->c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

QString themeIconFile(const QString &name, int side)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    const QByteArray file = QFile::encodeName(name);
    std::string path;
    path.reserve(1024);
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
        QVector<QPair<int, QByteArray>> folders; // how far their size is from `side`, and where
        for (const QString &base : qAsConst(bases)) {
            const ThemeIndex index = readIndex(base + QLatin1Char('/') + themes.at(i) + QLatin1Char('/'));
            for (const auto &folder : index.folders)
                folders.append({ folder.second > 0 ? qAbs(folder.second - side) : 0, folder.first });
            for (const QString &inherited : index.inherits)
                if (!themes.contains(inherited.trimmed()))
                    themes.append(inherited.trimmed());
        }
        std::stable_sort(
            folders.begin(), folders.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &folder : qAsConst(folders))
            for (int s = 0; s < 2; ++s)
                if (isFile(&path, folder.second, file, suffixes[s]))
                    return QFile::decodeName(QByteArray::fromStdString(path));
    }
    for (const QString &folder : QIcon::fallbackSearchPaths() + QStringList { QStringLiteral("/usr/share/pixmaps") })
        for (const char *suffix : suffixes)
            if (isFile(&path, QFile::encodeName(folder) + '/', file, suffix))
                return QFile::decodeName(QByteArray::fromStdString(path));
    return QString();
}

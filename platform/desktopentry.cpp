#include "platform/desktopentry.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

// The string escapes of a desktop entry value. An unknown escape keeps its
// backslash: entries in the wild write "\$" inside a quoted Exec argument,
// and the Exec quoting below still needs to see it.
static QString unescapeValue(const QString &raw)
{
    QString result;
    result.reserve(raw.size());
    for (int i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != QLatin1Char('\\') || i + 1 == raw.size()) {
            result += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case '\\':
            result += QLatin1Char('\\');
            break;
        default:
            result += c;
            result += next;
            break;
        }
    }
    return result;
}

DesktopEntry::DesktopEntry(const QString &path)
    : m_path(path)
{
    // A named pipe or a device under an entry's name would never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    bool inEntryGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == QLatin1String("[Desktop Entry]");
            m_valid = m_valid || inEntryGroup;
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (!inEntryGroup || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        // The first occurrence counts; a repeated key is an error in the
        // entry and must not override what came before.
        if (!m_values.contains(key))
            m_values.insert(key, line.mid(equals + 1).trimmed());
    }
}

QString DesktopEntry::value(const QString &key) const
{
    return unescapeValue(m_values.value(key));
}

QString DesktopEntry::localizedValue(const QString &key) const
{
    const QString locale = QLocale::system().name(); // "de_DE"
    const QString language = locale.section(QLatin1Char('_'), 0, 0);
    const QStringList candidates{key + QLatin1Char('[') + locale + QLatin1Char(']'),
                                 key + QLatin1Char('[') + language + QLatin1Char(']')};
    for (const QString &candidate : candidates) {
        if (m_values.contains(candidate))
            return value(candidate);
    }
    return value(key);
}

bool DesktopEntry::boolValue(const QString &key) const
{
    const QString text = value(key);
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1");
}

// Splits an Exec value (string escapes already resolved) into words by its
// quoting rules, which are the shell's as desktop launchers apply them.
// False for an unterminated quote.
static bool splitExec(const QString &exec, QStringList *words)
{
    enum class Quote { None, Double, Single };
    Quote quote = Quote::None;
    QString word;
    bool inWord = false; // "" is a word of its own, so emptiness is not enough
    words->clear();
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        switch (quote) {
        case Quote::None:
            if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
                if (inWord)
                    words->append(word);
                word.clear();
                inWord = false;
            } else if (c == QLatin1Char('"')) {
                quote = Quote::Double;
                inWord = true;
            } else if (c == QLatin1Char('\'')) {
                quote = Quote::Single;
                inWord = true;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                word += exec.at(++i);
                inWord = true;
            } else {
                word += c;
                inWord = true;
            }
            break;
        case Quote::Double:
            if (c == QLatin1Char('"')) {
                quote = Quote::None;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()
                       && QStringLiteral("\"`$\\").contains(exec.at(i + 1))) {
                word += exec.at(++i);
            } else {
                word += c;
            }
            break;
        case Quote::Single:
            if (c == QLatin1Char('\''))
                quote = Quote::None;
            else
                word += c;
            break;
        }
    }
    if (quote != Quote::None)
        return false;
    if (inWord)
        words->append(word);
    return true;
}

bool looksLikeUrl(const QString &text)
{
    // Two letters at least, so that a drive letter is never taken for one.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return !text.startsWith(QLatin1Char('/')) && scheme.match(text).hasMatch();
}

static QString asFile(const QString &target)
{
    if (looksLikeUrl(target)) {
        const QUrl url(target);
        return url.isLocalFile() ? url.toLocalFile() : target;
    }
    return target;
}

static QString asUrl(const QString &target)
{
    if (looksLikeUrl(target))
        return target;
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QStringList DesktopEntry::command(const QStringList &targets, QString *error) const
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QStringList();
    };
    const QString exec = value(QStringLiteral("Exec"));
    if (exec.trimmed().isEmpty())
        return fail(QStringLiteral("the desktop entry names no program"));
    QStringList words;
    if (!splitExec(exec, &words))
        return fail(QStringLiteral("the desktop entry's command has an unclosed quote"));

    QStringList files;
    QStringList urls;
    for (const QString &target : targets) {
        files.append(asFile(target));
        urls.append(asUrl(target));
    }
    const QString icon = value(QStringLiteral("Icon"));

    QStringList result;
    bool targetsUsed = false;
    for (const QString &word : qAsConst(words)) {
        // Codes that stand for a list are only meaningful as a word of
        // their own.
        if (word == QLatin1String("%F") || word == QLatin1String("%U")) {
            result += word == QLatin1String("%F") ? files : urls;
            targetsUsed = true;
            continue;
        }
        if (word == QLatin1String("%i")) {
            if (!icon.isEmpty())
                result << QStringLiteral("--icon") << icon;
            continue;
        }

        QString expanded;
        bool hadCode = false;
        for (int i = 0; i < word.size(); ++i) {
            if (word.at(i) != QLatin1Char('%') || i + 1 == word.size()) {
                expanded += word.at(i);
                continue;
            }
            hadCode = true;
            switch (word.at(++i).unicode()) {
            case '%':
                expanded += QLatin1Char('%');
                break;
            case 'f':
            case 'F':
                expanded += files.value(0);
                targetsUsed = true;
                break;
            case 'u':
            case 'U':
                expanded += urls.value(0);
                targetsUsed = true;
                break;
            case 'c':
                expanded += localizedValue(QStringLiteral("Name"));
                break;
            case 'k':
                expanded += m_path;
                break;
            case 'i':
                expanded += icon;
                break;
            default:
                // Deprecated (%d %D %n %N %v %m) and unknown codes expand to
                // nothing.
                break;
            }
        }
        // A word made only of codes that expanded to nothing (a "%f" without
        // a file) disappears rather than becoming an empty argument.
        if (!(hadCode && expanded.isEmpty()))
            result.append(expanded);
    }
    // An entry that takes no files still gets the one it was given, as
    // other launchers do.
    if (!targetsUsed && !files.isEmpty())
        result.append(files.first());
    if (result.isEmpty() || result.first().isEmpty())
        return fail(QStringLiteral("the desktop entry names no program"));
    return result;
}

#include "platform/desktopentry.h"

#include "platform/regularfile.h"

#include <QFileInfo>
#include <QLocale>
#include <QUrl>

#include <algorithm>

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
    // A pipe or a device under an entry's name would never end, and no
    // entry needs more than a few kilobytes.
    QByteArray bytes;
    bool tooLarge = false;
    if (!readRegularFile(path, largestDesktopEntry, &bytes, &tooLarge)) {
        if (tooLarge)
            qWarning("The desktop entry %s is larger than %d KB; it is not read.", qUtf8Printable(path),
                int(largestDesktopEntry >> 10));
        return;
    }
    bool inEntryGroup = false;
    for (const QByteArray &bytesLine : bytes.split('\n')) {
        const QString line = QString::fromUtf8(bytesLine).trimmed();
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
    const QStringList candidates { key + QLatin1Char('[') + locale + QLatin1Char(']'),
        key + QLatin1Char('[') + language + QLatin1Char(']') };
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

enum class Quote { None, Double, Single };

// Splits an Exec value (string escapes already resolved) into words by its
// quoting rules, which are the shell's as desktop launchers apply them.
// False for an unterminated quote.
static bool splitExec(const QString &exec, QStringList *words)
{
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
    // A scheme: a letter, then letters, digits, "+", "." or "-", and a
    // colon; two characters at least, so that a drive letter is never taken
    // for one. Checked by hand: a regular expression would bring PCRE into
    // memory for this alone.
    const auto letter = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    };
    const int colon = text.indexOf(QLatin1Char(':'));
    return colon >= 2 && letter(text.at(0)) && std::all_of(text.begin() + 1, text.begin() + colon, [&](QChar c) {
        return letter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+')
            || c == QLatin1Char('.') || c == QLatin1Char('-');
    });
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

// A text quoted for the shell: one word, whatever it holds.
static QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// What to put into the Exec line at a field code inside `quote` so that,
// once splitExec() has read it, the word holds `texts` quoted for the
// shell: unquoted, that is the texts themselves as separate words; inside
// quotes (a script such as sh -c "cat %f") the quoted form, which the
// shell then reads as one word each.
static QString quotedAt(Quote quote, const QStringList &texts)
{
    QStringList words;
    for (const QString &text : texts)
        words.append(shellQuoted(text));
    const QString quoted = words.join(QLatin1Char(' '));
    QString escaped;
    for (const QChar c : quoted) {
        if (quote == Quote::Single || (quote == Quote::Double && QStringLiteral("\"`$\\").contains(c)))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return quote == Quote::Single ? QLatin1Char('\'') + escaped + QLatin1Char('\'') : escaped;
}

// The Exec line with its field codes expanded, as desktop launchers expand
// it: before the line is split into words, with every file name, address
// and name quoted, so that each stays the one word it is wherever its code
// stands, and a name like "a;touch x" never becomes shell code.
QString DesktopEntry::expandFieldCodes(
    const QString &exec, const QStringList &files, const QStringList &urls, bool *targetsUsed) const
{
    const QString icon = value(QStringLiteral("Icon"));
    QString expanded;
    Quote quote = Quote::None;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c != QLatin1Char('%') || i + 1 == exec.size()) {
            // The same quoting rules as splitExec(), to know where a code stands.
            if (c == QLatin1Char('"') && quote != Quote::Single)
                quote = quote == Quote::Double ? Quote::None : Quote::Double;
            else if (c == QLatin1Char('\'') && quote != Quote::Double)
                quote = quote == Quote::Single ? Quote::None : Quote::Single;
            else if (c == QLatin1Char('\\') && quote != Quote::Single && i + 1 < exec.size())
                expanded += exec.at(i++);
            expanded += exec.at(i);
            continue;
        }
        switch (exec.at(++i).unicode()) {
        case '%':
            expanded += QLatin1Char('%');
            break;
        case 'f':
        case 'F':
        case 'u':
        case 'U': {
            const QStringList &targets = exec.at(i).toLower() == QLatin1Char('f') ? files : urls;
            if (!targets.isEmpty())
                expanded += quotedAt(quote, exec.at(i).isUpper() ? targets : QStringList(targets.first()));
            *targetsUsed = true;
            break;
        }
        case 'i':
            if (!icon.isEmpty())
                expanded += QLatin1String("--icon ") + quotedAt(quote, { icon });
            break;
        case 'c':
            expanded += quotedAt(quote, { localizedValue(QStringLiteral("Name")) });
            break;
        case 'k':
            expanded += quotedAt(quote, { m_path });
            break;
        default:
            // Deprecated (%d %D %n %N %v %m) and unknown codes expand to
            // nothing.
            break;
        }
    }
    return expanded;
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

    QStringList files;
    QStringList urls;
    for (const QString &target : targets) {
        files.append(asFile(target));
        urls.append(asUrl(target));
    }
    bool targetsUsed = false;
    QStringList words;
    if (!splitExec(expandFieldCodes(exec, files, urls, &targetsUsed), &words))
        return fail(QStringLiteral("the desktop entry's command has an unclosed quote"));
    // An entry that takes no files still gets the one it was given, as
    // other launchers do.
    if (!targetsUsed && !files.isEmpty())
        words.append(files.first());
    if (words.isEmpty() || words.first().isEmpty())
        return fail(QStringLiteral("the desktop entry names no program"));
    return words;
}

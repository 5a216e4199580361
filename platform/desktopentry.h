#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// A freedesktop.org desktop entry (a .desktop file), read the way desktop
// launchers read it: the keys of its [Desktop Entry] group, and the command
// line that its Exec key describes.
class DesktopEntry {
public:
    // Reads `path`. An entry that cannot be read, is not a regular file or
    // is larger than `largestDesktopEntry` (said in a warning), or that has
    // no [Desktop Entry] group, is not valid and has no keys.
    explicit DesktopEntry(const QString &path);

    bool isValid() const { return m_valid; }
    QString path() const { return m_path; }

    // The value of `key` with the string escapes (\s \n \t \r \\) resolved;
    // empty when the key is missing.
    QString value(const QString &key) const;
    // The value for the current locale (Key[ll_CC], Key[ll]) or else `key`'s.
    QString localizedValue(const QString &key) const;
    bool boolValue(const QString &key) const;

    // The program and arguments that open `targets` (local files or URLs)
    // with this entry: the words of Exec with its field codes expanded.
    // Empty, with `error` set, when Exec is missing or cannot be parsed.
    QStringList command(const QStringList &targets, QString *error = nullptr) const;

private:
    QString expandFieldCodes(
        const QString &exec, const QStringList &files, const QStringList &urls, bool *targetsUsed) const;

    QString m_path;
    QHash<QString, QString> m_values;
    bool m_valid = false;
};

inline constexpr qint64 largestDesktopEntry = 64 << 10;

// A URL with a scheme ("https://...", "mailto:..."), as opposed to a path.
bool looksLikeUrl(const QString &text);

#include "platform/updatecommand.h"

QString updaterVersionUrl(const QString &baseUrl, const QString &edition)
{
    return baseUrl + QLatin1String("/version/") + edition.toLower() + QLatin1String(".json");
}

QString windowsUpdaterPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/zvUpdtr.exe");
}

QString windowsUpdaterCommand(const QString &programFolder, const QString &version, const QString &versionUrl)
{
    // Every piece is double-quoted, so a folder with blanks
    // stays one argument when the text is split for the start.
    return QLatin1String("cmd.exe /c call \"") + windowsUpdaterPath(programFolder) + QLatin1String("\" \"") + version
        + QLatin1String("\" \"") + versionUrl + QLatin1String("\" \"") + QLatin1String("Zarvel.exe -checkupdate")
        + QLatin1String("\"");
}

QString unixUpdaterPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/zvUpdtr");
}

QString unixRestartCommand(const QString &program, const QStringList &options)
{
    // Single quotes keep every character literal in /bin/sh; a quote inside
    // closes the quoting, is escaped, and opens it again.
    const auto quoted = [](QString word) -> QString {
        return QLatin1Char('\'') + word.replace(QLatin1Char('\''), QLatin1String("'\\''")) + QLatin1Char('\'');
    };
    QString command = quoted(program) + QLatin1String(" -checkupdate");
    for (const QString &option : options)
        command += QLatin1Char(' ') + quoted(option);
    return command;
}

QStringList unixUpdaterArguments(
    const QString &version, const QString &versionUrl, const QString &program, const QStringList &options)
{
    return { version, versionUrl, unixRestartCommand(program, options) };
}

#pragma once

#include <QString>
#include <QStringList>

// The command texts of the hand-over to the updater, kept free of any
// process start so that both operating systems' forms can be checked on
// either. The updater receives three arguments: this program's version,
// the address of the edition's version document, and a command that starts
// this program again in the normal run ("-checkupdate").

// The version document of `edition` under the update server's `baseUrl`:
// base + "/version/" + the edition in lower case + ".json".
QString updaterVersionUrl(const QString &baseUrl, const QString &edition);

// Windows: the updater is zvUpdtr.exe in the program's folder, and it is
// started there through the command interpreter with this command text;
// its restart command names the program relative to that folder.
QString windowsUpdaterPath(const QString &programFolder);
QString windowsUpdaterCommand(const QString &programFolder, const QString &version, const QString &versionUrl);

// Other systems: the updater is the executable zvUpdtr in the program's
// folder, started without a shell. Its third argument is a /bin/sh
// command naming `program` (this program's own file) with "-checkupdate"
// and the `options` it was started with ("--no-poll"), so that the
// restarted program runs as the user chose.
QString unixUpdaterPath(const QString &programFolder);
QString unixRestartCommand(const QString &program, const QStringList &options = {});
QStringList unixUpdaterArguments(
    const QString &version, const QString &versionUrl, const QString &program, const QStringList &options = {});

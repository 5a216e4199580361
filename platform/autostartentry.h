#pragma once

#include <QByteArray>
#include <QString>

// The autostart entries of both desktops, as plain functions of their
// inputs so that either one can be checked anywhere.

// freedesktop: the text of `<complete base name>.desktop` for the program
// at `programPath` (absolute). It starts the program without arguments in
// its own folder, as the Windows shortcut does.
QByteArray autostartEntry(const QString &programPath);

// One argument of a desktop entry's Exec key, quoted and escaped as the
// freedesktop desktop-entry format asks.
QString desktopExecArgument(const QString &argument);

// Where autostartEntry(programPath) goes in `folder`.
QString autostartEntryPath(const QString &folder, const QString &programPath);

// Writes autostartEntry(programPath) into `folder` (created when missing)
// unless an entry of that name exists; then only `replace` replaces it, at
// once. Otherwise never replaces one, not even one that appears meanwhile.
// False when nothing could be written.
bool writeAutostartEntry(const QString &folder, const QString &programPath, bool replace = false);

// Windows: the shortcut in the user's Startup folder. `appDataLocation` is
// the writable AppDataLocation, which is the roaming folder followed by the
// organization's and the application's names where those are set.
QString windowsStartupShortcut(const QString &appDataLocation, const QString &organization, const QString &application,
    const QString &programPath);

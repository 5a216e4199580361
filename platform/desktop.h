#pragma once

#include "platform/platform.h"

#include <QIcon>

// The parts of a native platform that are plain Qt code on top of the
// desktop's conventions, one file each per operating system
// (launch_<os>.cpp, autostart_<os>.cpp).

// Starts a button's stored target, detached.
Platform::StartResult startStoredTarget(const QString &storedPath);

// The icon a desktop entry (a .desktop file) names, from the icon theme;
// null for any other file, for an entry without one, and where the desktop
// has no such entries.
QIcon desktopEntryIcon(const QString &file);

// Creates the per-user autostart entry unless one exists.
void createAutostartEntryFile();

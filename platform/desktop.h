#pragma once

#include "platform/platform.h"

// The parts of a native platform that are plain Qt code on top of the
// desktop's conventions, one file each per operating system
// (launch_<os>.cpp, autostart_<os>.cpp).

// Starts a button's stored target, detached.
Platform::StartResult startStoredTarget(const QString &storedPath);

// Creates the per-user autostart entry unless one exists.
void createAutostartEntryFile();

#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>

// Some of Qt's choices are read from the environment only (the xcb plugin's
// QT_XCB_GL_INTEGRATION, the platform plugin's QT_QPA_PLATFORM). Zarvel
// makes them for itself through setOwnVariable(), and every program it
// starts gets the environment Zarvel was given instead: a Qt program
// started from the panel must not lose its OpenGL because the panel draws
// none.

// Sets `name` to `value` for this process; the programs it starts get what
// `name` held before, or nothing when it was unset.
void setOwnVariable(const char *name, const QByteArray &value);

// The environment this process was given, for a program it starts.
QProcessEnvironment givenEnvironment();
#ifdef Q_OS_UNIX
// The same, byte for byte, as the "NAME=value" entries of an exec.
QList<QByteArray> givenEnvironmentEntries();
#endif

#pragma once

#include <QByteArray>
#include <QString>

// Shared start of every fuzz target. The first call re-executes the target
// inside the test sandbox (HOME and the XDG folders in a temporary
// directory, removed afterwards), so fuzzing never touches the real user's
// buttons.json; in the sandbox it makes the offscreen QApplication.
void startFuzzing(int *argc, char ***argv);

// The input as bytes, and split at the first "\n": a short script line and
// the rest.
QByteArray fuzzInput(const unsigned char *data, size_t size);
void splitScript(const QByteArray &input, QByteArray *script, QByteArray *rest, int maxScript = 16);

// Removes everything in `folder` but leaves the folder.
void emptyFolder(const QString &folder);

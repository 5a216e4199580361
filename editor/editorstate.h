#pragma once

#include "app/config.h"
#include "buttons/gridbutton.h"

#include <QFile>
#include <QJsonDocument>
#include <QString>

// State the settings editor's operations share. It lives for the whole run
// and outlives each dialog: a new dialog re-reads the document but opens in
// the folder where the previous one was left.

// The editor's copy of buttons.json, changed in memory and written back
// whole on Save. Null until the first dialog reads the file.
extern QJsonDocument jsonDocument;

// The editor's handle on buttons.json: the same file as the panel's.
extern QFile jsonFile;

// The grid buttons of the dialog shown; element 0 is position 1.
extern GridButton *editorButtons[buttonCount];

// 1-based position of the selected button in the folder shown.
extern int selectedButton;

// Dotted-path prefix of the folder shown: "" at the top level, else for
// example "Button02.folder." or "Button02.folder.Button03.folder.".
extern QString folderPrefix;

// Drag-swap: the position last pressed, and whether a release happened
// within the last 10 ms, so that the button entered next is the drop target.
extern int dragSource;
extern bool dropPending;

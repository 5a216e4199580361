#pragma once

#include "app/config.h"
#include "buttons/gridbutton.h"

#include <QStringList>

class QAction;
class QSystemTrayIcon;
class QTimer;

// State the panel's operations share. There is one panel per process, so it
// lives at file scope rather than in the panel (panel/panel.h).

// The panel's buttons; element 0 is button 1.
extern GridButton *panelButtons[buttonCount];

// The "path" of every slot of the level shown, in slot order; inside a
// folder, element 0 is "FolderBack". Always holds buttonCount entries after
// a redraw.
extern QStringList buttonPaths;

// The pop-up trigger is on.
extern bool systemEnabled;

// The settings editor is running: the trigger, "Show Window" and a second
// editor stay off meanwhile.
extern bool settingsOpen;

// The editor or any other of Zarvel's dialogs (a file dialog, About, a
// message box) is open: the panel would show but take no click, and the
// trigger and "Show Window" wait until it is gone (trigger.cpp).
bool modalOpen();

// The current polling timer, and the tray menu's "Enabled" entry.
extern QTimer *checkMouseTimer;
extern QAction *enableAction;

// The tray icon, once createSystemTray() has made it.
extern QSystemTrayIcon *trayIcon;

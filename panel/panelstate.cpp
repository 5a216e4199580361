#include "panel/panelstate.h"

GridButton *panelButtons[buttonCount] = {};
QStringList buttonPaths;
bool systemEnabled = false;
bool pollTrigger = true;
bool settingsOpen = false;
bool panelHostRole = false;
QTimer *checkMouseTimer = nullptr;
QAction *enableAction = nullptr;
QSystemTrayIcon *trayIcon = nullptr;

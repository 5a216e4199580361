#include "panel/panelstate.h"

GridButton *panelButtons[buttonCount] = {};
QStringList buttonPaths;
bool systemEnabled = false;
bool settingsOpen = false;
QTimer *checkMouseTimer = nullptr;
QAction *enableAction = nullptr;
QSystemTrayIcon *trayIcon = nullptr;

#include "panel/mainwindow.h"

#include "platform/platform.h"

void MainWindow::createStartupShortcut()
{
    Platform::instance().createAutostartEntry();
}

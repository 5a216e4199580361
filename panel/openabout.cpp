#include "panel/mainwindow.h"

void MainWindow::showAboutWindow()
{
}

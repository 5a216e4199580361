#include "panel/mainwindow.h"

void MainWindow::showUpdateWindow()
{
}

void MainWindow::checkUpdates()
{
}

void MainWindow::reopen()
{
}

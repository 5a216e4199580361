#include "panel/mainwindow.h"

#include "panel/panelstate.h"

void MainWindow::buttonClick()
{
}

#include "panel/mainwindow.h"

#include "panel/panelstate.h"

void MainWindow::on_pushButton_settings_clicked()
{
}

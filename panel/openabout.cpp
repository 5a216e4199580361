#include "panel/mainwindow.h"

#include "about/about.h"

void MainWindow::showAboutWindow()
{
    about dialog;
    dialog.exec();
}

#include "panel/mainwindow.h"

#include "editor/moresettings.h"
#include "panel/panelstate.h"

void MainWindow::on_pushButton_settings_clicked()
{
    // The tray stays live while the editor runs: a second request must not
    // stack another editor on the first.
    if (settingsOpen)
        return;
    settingsOpen = true;
    moreSettings dialog;
    dialog.exec();
    settingsOpen = false;
    // The editor may have rewritten buttons.json.
    setButtonsConfiguration();
}

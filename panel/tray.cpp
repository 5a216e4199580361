#include "panel/mainwindow.h"

#include "about/about.h"
#include "app/config.h"
#include "app/dialogs.h"
#include "app/resources.h"
#include "editor/moresettings.h"
#include "panel/commands.h"
#include "panel/elide.h"
#include "panel/panelstate.h"
#include "platform/platform.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

void MainWindow::createSystemTray()
{
    const QIcon logo = logoIcon();
    // Every window's title bar shows it too; decoded once here, since a
    // picture in another format would make Qt map every image plugin.
    QApplication::setWindowIcon(logo);
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(trayLogoIcon());
    trayIcon->setToolTip(tr("Zarvel ") + configValue(QStringLiteral("type")).toString());

    auto *trayMenu = new QMenu(this);
    trayMenu->addAction(QStringLiteral("Show Window"), this, &MainWindow::showWindow);
    enableAction = trayMenu->addAction(logo, QStringLiteral("Enabled"), this, &MainWindow::enableSystem);
    trayMenu->addSeparator();
    trayMenu->addAction(QStringLiteral("Settings"), this, &MainWindow::on_pushButton_settings_clicked);
    trayMenu->addAction(QStringLiteral("Check for Updates"), this, &MainWindow::showUpdateWindow);
    trayMenu->addAction(QStringLiteral("About"), this, &MainWindow::showAboutWindow);
    trayMenu->addSeparator();
    trayMenu->addAction(QStringLiteral("Close"), this, &MainWindow::quitProgram);

    trayIcon->setContextMenu(trayMenu);
    trayIcon->setVisible(true);

    // A launcher that looks enabled but never opens is worse than one that
    // says why: the entry and the first message tell, and --show still works.
    // On Wayland with layer-shell the compositor's binding is the trigger.
    const QString problem = panelHost ? QString()
        : layerShellProblem.isEmpty() ? Platform::instance().triggerProblem()
                                      : layerShellProblem;
    if (!problem.isEmpty()) {
        enableAction->setToolTip(problem);
        trayMenu->setToolTipsVisible(true);
        tellUser(problem + QLatin1Char(' ') + tr("Zarvel --show still opens the panel."));
    }
}

// The panel is hidden whenever something goes wrong after a click, so the
// tray is the only place left to say so; without a tray the note goes to
// the log.
void MainWindow::tellUser(const QString &text)
{
    const QString message = elideMiddle(text, 400);
    if (trayIcon && trayIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable()
        && QSystemTrayIcon::supportsMessages())
        trayIcon->showMessage(QStringLiteral("Zarvel"), message, QSystemTrayIcon::Warning);
    qWarning("Zarvel: %s", qUtf8Printable(message));
}

void MainWindow::on_pushButton_settings_clicked()
{
    if (raiseOpenDialog())
        return;
    // A panel shown by the host would stay above the editor.
    if (panelHost)
        postCommand(hideRequest, panelHostSocketName());
    settingsOpen = true;
    moreSettings dialog;
    runningEditor = &dialog;
    execDialog(dialog);
    runningEditor = nullptr;
    settingsOpen = false;
    // The editor may have rewritten buttons.json.
    setButtonsConfiguration();
}

// The tray stays live while a dialog is open. Its entries that open one
// bring the open one to the front instead: a second editor would save over
// the first one's edits, an update would quit under them, and a dialog run
// inside another's keeps that one waiting until it closes.
bool MainWindow::raiseOpenDialog()
{
    if (!modalOpen())
        return false;
    if (QWidget *dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
    return true;
}

void MainWindow::quitProgram()
{
    // A second Close while the first one asks only brings the question up.
    static bool asking = false;
    if (asking) {
        raiseOpenDialog();
        return;
    }
    asking = true;
    const bool quit = !runningEditor || runningEditor->mayDiscardEdits();
    asking = false;
    if (quit)
        QCoreApplication::quit();
}

void MainWindow::showAboutWindow()
{
    if (raiseOpenDialog())
        return;
    about dialog;
    execDialog(dialog);
}

#include "panel/mainwindow.h"

#include "app/config.h"
#include "panel/panelstate.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

QSystemTrayIcon *trayIcon = nullptr;

void MainWindow::createSystemTray()
{
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(QIcon(QStringLiteral(":/res/zarvel-logo.png")));
    trayIcon->setToolTip(tr("Zarvel ") + configValue(QStringLiteral("type")).toString());

    auto *trayMenu = new QMenu(this);

    auto *showAction = new QAction(QStringLiteral("Show Window"), this);
    connect(showAction, SIGNAL(triggered()), this, SLOT(showWindow()));
    trayMenu->addAction(showAction);

    enableAction = new QAction(QStringLiteral("Enabled"), this);
    enableAction->setIcon(QIcon(QStringLiteral(":/res/zarvel-logo.png")));
    connect(enableAction, SIGNAL(triggered()), this, SLOT(enableSystem()));
    trayMenu->addAction(enableAction);

    trayMenu->addSeparator();

    auto *settingsAction = new QAction(QStringLiteral("Settings"), this);
    connect(settingsAction, SIGNAL(triggered()), this, SLOT(on_pushButton_settings_clicked()));
    trayMenu->addAction(settingsAction);

    auto *updateAction = new QAction(QStringLiteral("Check for Updates"), this);
    connect(updateAction, SIGNAL(triggered()), this, SLOT(showUpdateWindow()));
    trayMenu->addAction(updateAction);

    auto *aboutAction = new QAction(QStringLiteral("About"), this);
    connect(aboutAction, SIGNAL(triggered()), this, SLOT(showAboutWindow()));
    trayMenu->addAction(aboutAction);

    trayMenu->addSeparator();

    auto *closeAction = new QAction(QStringLiteral("Close"), this);
    connect(closeAction, &QAction::triggered, this, &QCoreApplication::quit);
    trayMenu->addAction(closeAction);

    trayIcon->setContextMenu(trayMenu);
    trayIcon->setVisible(true);
}

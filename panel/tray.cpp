#include "panel/mainwindow.h"

#include "app/config.h"
#include "panel/panelstate.h"
#include "panel/trayicons.h"

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>

QSystemTrayIcon *trayIcon = nullptr;

QIcon logoIcon()
{
    const QImage logo(QStringLiteral(":/res/zarvel-logo.png"));
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(logo.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return icon;
}

void MainWindow::createSystemTray()
{
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(logoIcon());
    trayIcon->setToolTip(tr("Zarvel ") + configValue(QStringLiteral("type")).toString());

    auto *trayMenu = new QMenu(this);

    auto *showAction = new QAction(QStringLiteral("Show Window"), this);
    connect(showAction, SIGNAL(triggered()), this, SLOT(showWindow()));
    trayMenu->addAction(showAction);

    enableAction = new QAction(QStringLiteral("Enabled"), this);
    enableAction->setIcon(logoIcon());
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

#include "panel/mainwindow.h"

#include "panel/panelstate.h"
#include "panel/placement.h"
#include "platform/platform.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QSystemTrayIcon>
#include <QTimer>

void MainWindow::timerCheckMouse()
{
    // A timer replaced here was stopped by enableSystem(); it stays the
    // window's child until the window goes.
    checkMouseTimer = new QTimer(this);
    connect(checkMouseTimer, &QTimer::timeout, this, &MainWindow::checkMouse);
    checkMouseTimer->setInterval(10);
    checkMouseTimer->start();
}

// While the settings editor or any other of Zarvel's modal dialogs (a file
// dialog, About, a message box) is open, the panel would show but take no
// click: the chord waits until the dialog is gone.
static bool modalOpen()
{
    return settingsOpen || QApplication::activeModalWidget();
}

void MainWindow::checkMouse()
{
    if (modalOpen())
        return;
    Platform &platform = Platform::instance();
    // The right button is queried on every tick, so a press made without
    // Alt is consumed here and cannot combine with a later Alt.
    if (!platform.asyncKeyState(Platform::Key::RightButton).pressedSinceLastQuery)
        return;
    if (!platform.asyncKeyState(Platform::Key::Alt).down)
        return;
    QPoint pointer;
    if (!platform.pointerPosition(&pointer))
        return;

    setGeometry(QRect(panelTopLeft(pointer, size(), availableAreaAt(pointer)), size()));

    const bool foregroundTrick = platform.needsForegroundTrick();
    auto tapAlt = [&platform] {
        platform.sendAltKey(true);
        platform.sleepMs(10);
        platform.sendAltKey(false);
    };
    if (foregroundTrick)
        tapAlt();
    show();
    if (foregroundTrick) {
        platform.sleepMs(200);
        tapAlt();
    }
    activateWindow();
}

void MainWindow::showWindow()
{
    if (!systemEnabled || modalOpen())
        return;
    show();
    activateWindow();
}

void MainWindow::enableSystem()
{
    systemEnabled = !systemEnabled;
    if (systemEnabled) {
        if (enableAction && trayIcon)
            enableAction->setIcon(trayIcon->icon());
        timerCheckMouse();
    } else {
        hide();
        if (enableAction)
            enableAction->setIcon(QIcon(QStringLiteral(":/res/empty.png")));
        if (checkMouseTimer)
            checkMouseTimer->stop();
    }
}

bool MainWindow::event(QEvent *e)
{
    if (e->type() == QEvent::ActivationChange && QApplication::activeWindow() != this)
        hide();
    return QWidget::event(e);
}

#include "panel/mainwindow.h"

#include "app/picture.h"
#include "panel/commands.h"
#include "panel/panelstate.h"
#include "panel/placement.h"
#include "platform/commandchannel.h"
#include "platform/platform.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QPixmapCache>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

void MainWindow::timerCheckMouse()
{
    // A timer replaced here was stopped by enableSystem(); it stays the
    // window's child until the window goes.
    checkMouseTimer = new QTimer(this);
    connect(checkMouseTimer, &QTimer::timeout, this, &MainWindow::checkMouse);
    checkMouseTimer->setInterval(10);
    checkMouseTimer->start();
}

bool modalOpen()
{
    // Window-modal dialogs count too: Qt keeps every modal window in one list.
    return settingsOpen || QApplication::activeModalWidget();
}

void MainWindow::checkMouse()
{
    Platform &platform = Platform::instance();
    // The right button is queried on every tick, also while a dialog is
    // open, so a press made without Alt, or while a dialog is open, is
    // consumed here and cannot combine with a later Alt (as when Alt+F4
    // closes the dialog). With --no-poll each press comes here at once.
    if (!platform.asyncKeyState(Platform::Key::RightButton).pressedSinceLastQuery || modalOpen())
        return;
    if (!platform.asyncKeyState(Platform::Key::Alt).down)
        return;
    popUpAtPointer();
}

// Where the chord and `Zarvel --show` meet: the panel at the pointer, pulled
// into the screen under it, in front and focused.
bool MainWindow::popUpAtPointer()
{
    Platform &platform = Platform::instance();
    QPoint pointer;
    if (!platform.pointerPosition(&pointer))
        return false;
    setGeometry(QRect(panelTopLeft(pointer, size(), currentScreens()), size()));

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
    return true;
}

QByteArray MainWindow::answerCommand(const QByteArray &request)
{
    if (request == pingRequest)
        return pingAnswer;
    QByteArray answer;
    if (answerPanelHost(request, &answer))
        return answer;
    if (request == hideRequest) {
        hide();
        return acceptedAnswer;
    }
    if (request != showRequest)
        return QByteArrayLiteral("unknown request");
    if (!systemEnabled)
        return QByteArrayLiteral("Zarvel is switched off in its tray menu.");
    if (modalOpen())
        return QByteArrayLiteral("a Zarvel dialog is open.");
    if (panelHost)
        return showOnPanelHost();
    return popUpAtPointer() ? shownAnswer : QByteArrayLiteral("the pointer cannot be read.");
}

void MainWindow::listenForCommands()
{
    commandServer = new CommandServer(
        commandSocketName(), [this](const QByteArray &request) { return answerCommand(request); }, this);
    if (!commandServer->error().isEmpty())
        qWarning("Zarvel: %s", qUtf8Printable(commandServer->error()));
}

void MainWindow::showWindow()
{
    if (!systemEnabled || modalOpen())
        return;
    if (panelHost) {
        showOnPanelHost();
        return;
    }
    show();
    activateWindow();
}

void MainWindow::enableSystem()
{
    systemEnabled = !systemEnabled;
    if (systemEnabled) {
        if (enableAction && trayIcon)
            enableAction->setIcon(trayIcon->icon());
        // The compositor's binding calls the panel on Wayland.
        const bool watched = panelHost || (!pollTrigger && Platform::instance().watchRightPresses([this] {
            if (systemEnabled)
                checkMouse();
        }));
        if (!watched)
            timerCheckMouse();
    } else {
        hide();
        if (panelHost)
            postCommand(hideRequest, panelHostSocketName());
        if (enableAction)
            enableAction->setIcon(
                QIcon(QPixmap::fromImage(readPicture(QStringLiteral(":/res/empty.png"), { 16, 16 }))));
        if (checkMouseTimer)
            checkMouseTimer->stop();
    }
}

bool MainWindow::event(QEvent *e)
{
    if (e->type() == QEvent::ActivationChange && QApplication::activeWindow() != this)
        hide();
    // In the idle mode nothing wakes Zarvel while the panel is hidden; but
    // Qt's pixmap cache (the style's pictures and the icons') flushes itself
    // on a timer while it holds anything, every 10 s for good.
    if (e->type() == QEvent::Hide && !pollTrigger)
        QPixmapCache::clear();
    return QWidget::event(e);
}

#include "host/hostwindow.h"

#include "panel/commands.h"
#include "panel/elide.h"
#include "panel/placement.h"
#include "platform/commandchannel.h"
#include "platform/layershell.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

HostWindow::HostWindow()
{
    buildForm();
    setAttribute(Qt::WA_AlwaysShowToolTips);
    watchButtonsFile();
    setButtonsConfiguration();
    m_server = new CommandServer(
        panelHostSocketName(), [this](const QByteArray &request) { return answer(request); }, this);
    if (!m_server->error().isEmpty())
        qWarning("Zarvel: %s", qUtf8Printable(m_server->error()));
}

bool HostWindow::isChord(const QMouseEvent &press)
{
    return press.button() == Qt::RightButton && (press.modifiers() & Qt::AltModifier);
}

QByteArray HostWindow::answer(const QByteArray &request)
{
    if (request == pingRequest)
        return pingAnswer;
    if (request == showRequest) {
        popUp();
        return shownAnswer;
    }
    if (request == hideRequest) {
        hide();
        // Also when the overlays still wait for the pointer.
        layerShell::hideOverlays();
        return acceptedAnswer;
    }
    return QByteArrayLiteral("unknown request");
}

void HostWindow::popUp()
{
    hide();
    layerShell::showOverlays(
        [this](QScreen *screen, QPoint pointer) {
            // The pointer is in logical pixels already.
            const QPoint topLeft
                = panelTopLeft(pointer, size(), { { screen->geometry(), screen->availableGeometry(), 1 } });
            m_screen = screen;
            m_offset = topLeft - screen->geometry().topLeft();
            winId();
            layerShell::place(windowHandle(), screen, m_offset, true);
            show();
            activateWindow();
        },
        [this](const QMouseEvent &press) {
            // The chord moves the panel to the pointer, as it does on X11;
            // any other press outside hides it.
            if (isChord(press)) {
                QTimer::singleShot(0, this, &HostWindow::popUp);
            } else {
                hide();
                layerShell::hideOverlays();
            }
        });
}

bool HostWindow::event(QEvent *e)
{
    // A layer surface hears of no deactivation: a press outside lands on an
    // overlay, and Escape ends the show (keys.cpp).
    if (e->type() == QEvent::Hide) {
        layerShell::hideOverlays();
        // The surface goes without a pointer leave, and the button under
        // the pointer would still look hovered at the next show.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(windowHandle(), &leave);
    }
    return QWidget::event(e);
}

void HostWindow::assignFile(int n)
{
    hide();
    QByteArray request = assignRequest + ' ' + QByteArray::number(n);
    for (int slot : folderStack)
        request += ' ' + QByteArray::number(slot);
    postCommand(request);
}

void HostWindow::tellUser(const QString &message)
{
    const QString line = elideMiddle(message, 400).replace(QLatin1Char('\n'), QLatin1Char(' '));
    postCommand(tellRequest + ' ' + line.toUtf8());
}

void HostWindow::on_pushButton_settings_clicked()
{
    hide();
    postCommand(settingsRequest);
}

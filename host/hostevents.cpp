#include "host/hostevents.h"

#include "host/hostwindow.h"
#include "platform/layershell.h"

#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolTip>

HostEvents::HostEvents(HostWindow *panel)
    : m_panel(panel)
{
    m_tip.setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_tip.setPalette(QToolTip::palette());
    m_tip.setFont(QToolTip::font());
    m_tip.setAutoFillBackground(true);
    m_tip.setFrameStyle(QFrame::Box | QFrame::Plain);
    m_tip.setMargin(3);
    m_tip.setTextFormat(Qt::PlainText);
}

bool HostEvents::eventFilter(QObject *object, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(object);
    switch (event->type()) {
    case QEvent::ToolTip:
        // A widget without one passes the event on to its parent.
        if (widget && !widget->toolTip().isEmpty() && widget->window() == m_panel && m_panel->shownScreen())
            show(widget);
        else
            event->ignore();
        return true;
    case QEvent::Leave:
    case QEvent::Hide:
        if (widget && (widget == m_owner || widget == m_panel))
            hide();
        break;
    case QEvent::MouseButtonPress:
        hide();
        if (widget && widget->window() == m_panel && HostWindow::isChord(*static_cast<QMouseEvent *>(event))) {
            QTimer::singleShot(0, m_panel, &HostWindow::popUp);
            return true;
        }
        break;
    case QEvent::KeyPress:
    case QEvent::Wheel:
        hide();
        break;
    default:
        break;
    }
    return false;
}

void HostEvents::show(QWidget *owner)
{
    hide();
    m_owner = owner;
    QScreen *const screen = m_panel->shownScreen();
    const QRect area(QPoint(), screen->size());
    const QRect panel(m_panel->shownOffset(), m_panel->size());
    m_tip.setText(owner->toolTip());
    m_tip.setWordWrap(false);
    m_tip.adjustSize();
    // A long title wraps rather than leave the screen.
    const int widest = qMax(area.width() / 3, 100);
    if (m_tip.width() > widest) {
        m_tip.setWordWrap(true);
        m_tip.resize(widest, m_tip.heightForWidth(widest));
    }
    // Right of the panel, else left of it, else where it fits.
    const int gap = 4;
    const QRect button(panel.topLeft() + owner->mapTo(m_panel, QPoint()), owner->size());
    QPoint at(panel.right() + 1 + gap, button.center().y() - m_tip.height() / 2);
    if (at.x() + m_tip.width() > area.width())
        at.setX(panel.left() - gap - m_tip.width());
    at.setX(qBound(0, at.x(), qMax(0, area.width() - m_tip.width())));
    at.setY(qBound(0, at.y(), qMax(0, area.height() - m_tip.height())));
    m_tip.winId();
    layerShell::place(m_tip.windowHandle(), screen, at, false);
    m_tip.show();
}

void HostEvents::hide()
{
    m_owner = nullptr;
    m_tip.hide();
}

#include "panel/panel.h"
#include "ui_mainwindow.h"

#include "buttons/buttonsfile.h"
#include "panel/panelstate.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include <utility>

namespace {

// The mark on the button the keys act on: a ring in the highlight colour
// with a light edge inside it, plain on a button of any colour. It lies over
// the button and lets the mouse through, so the button itself looks and
// hovers as it always does.
class KeyMark : public QWidget {
public:
    explicit KeyMark(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
        painter.setPen(QPen(palette().color(QPalette::HighlightedText), 1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
    }
};

} // namespace

bool Panel::eventFilter(QObject *watched, QEvent *event)
{
    // Every key pressed on a grid button is the panel's: a push button would
    // take Space and the arrows its own way.
    if (event->type() == QEvent::KeyPress) {
        keyPressed(*static_cast<QKeyEvent *>(event));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Panel::keyPressEvent(QKeyEvent *event)
{
    if (!keyPressed(*event))
        QMainWindow::keyPressEvent(event);
}

void Panel::showEvent(QShowEvent *event)
{
    // With a screen reader listening, button 1 takes the focus as the window
    // becomes active, and the reader says where the keys start.
    if (!event->spontaneous() && QAccessible::isActive())
        panelButtons[0]->setFocus();
    QMainWindow::showEvent(event);
}

void Panel::hideEvent(QHideEvent *event)
{
    // The next show starts with no button focused and no mark: the window
    // takes the keys (keyPressEvent), the first of which acts from slot 1,
    // and a panel called up by the mouse looks as it always did. Focusing a
    // button on every show would cost a focus change and a repaint on the
    // way to the first frame. (The style draws a focus frame of its own once
    // the focus moved by Tab, until the panel says otherwise.)
    if (!event->spontaneous()) {
        if (keyMark)
            keyMark->hide();
        typed.clear();
        setAttribute(Qt::WA_KeyboardFocusChange, false);
        if (QWidget *focused = focusWidget())
            focused->clearFocus();
    }
    QMainWindow::hideEvent(event);
}

bool Panel::keyPressed(const QKeyEvent &event)
{
    // The desktop's shortcuts are not the panel's.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int from = qMax(1, focusedSlot());
    // A click by a key, once however long the key is held; the mark then
    // shows where the focus stays (inside a folder just entered, say).
    const auto click = [this, &event](int n) {
        if (n < 1 || n > buttonCount)
            return;
        markFocus();
        if (!event.isAutoRepeat())
            panelButtons[n - 1]->click();
    };
    // Over rows of two, in slot order; the edges hold the focus.
    static const std::pair<int, int> arrows[]
        = { { Qt::Key_Left, -1 }, { Qt::Key_Right, 1 }, { Qt::Key_Up, -2 }, { Qt::Key_Down, 2 } };
    for (const auto &[key, step] : arrows) {
        if (event.key() == key) {
            typed.clear();
            focusSlot(from + step >= 1 && from + step <= buttonCount ? from + step : from);
            return true;
        }
    }
    switch (event.key()) {
    case Qt::Key_Escape:
        hide();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        focusSlot((from - 1 + (event.key() == Qt::Key_Tab ? 1 : buttonCount - 1)) % buttonCount + 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        click(from);
        break;
    case Qt::Key_Backspace:
        // Slot 1 of a folder is its Back.
        if (!folderStack.isEmpty())
            click(1);
        break;
    default:
        if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) {
            click(event.key() == Qt::Key_0 ? 10 : event.key() - Qt::Key_0);
            break;
        }
        if (event.text().isEmpty() || !event.text().at(0).isPrint() || event.text().at(0).isSpace()) {
            typed.clear();
            return false;
        }
        typeAhead(event.text(), event.timestamp());
        return true;
    }
    typed.clear();
    return true;
}

// Moves the focus to the next button whose title starts with what was
// typed, ignoring case, by the name it shows (drawButtons): its title, or
// else its target's name.
// A key after a pause longer than the desktop's keyboard input interval
// starts a new title, looked for from the next button on; a title typed on
// is looked for from the button found so far, and one letter typed again
// and again goes on to the next button it starts. The key's own time
// counts, not when the panel came to it.
void Panel::typeAhead(const QString &text, ulong timestamp)
{
    const bool goesOn = !typed.isEmpty() && timestamp - typedAt <= ulong(QApplication::keyboardInputInterval());
    typed = goesOn ? typed + text : text;
    typedAt = timestamp;
    const int from = qMax(1, focusedSlot());
    const auto find = [&](const QString &start, int first) {
        for (int i = first; i <= buttonCount; ++i) {
            const int n = (from - 1 + i) % buttonCount + 1;
            if (slotTitles.value(n - 1).startsWith(start, Qt::CaseInsensitive)) {
                focusSlot(n);
                return true;
            }
        }
        return false;
    };
    const bool oneLetter = typed.count(typed.at(0)) == typed.size();
    if (!find(typed, goesOn ? 0 : 1) && !(oneLetter && find(typed.left(1), 1)))
        markFocus();
}

int Panel::focusedSlot() const
{
    const QWidget *focused = focusWidget();
    for (int n = 1; n <= buttonCount; ++n)
        if (panelButtons[n - 1] == focused)
            return n;
    return 0;
}

void Panel::focusSlot(int n)
{
    panelButtons[n - 1]->setFocus();
    markFocus();
}

// Marks the focused button; the first key of a show, which acts from slot 1,
// puts the focus there.
void Panel::markFocus()
{
    const int n = qMax(1, focusedSlot());
    panelButtons[n - 1]->setFocus();
    if (!keyMark)
        keyMark = new KeyMark(ui->groupBox);
    keyMark->setGeometry(panelButtons[n - 1]->geometry());
    keyMark->raise();
    keyMark->show();
}

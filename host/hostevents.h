#pragma once

#include <QLabel>
#include <QPointer>

class HostWindow;

// What the host's panel does unlike a window. Every window of the host is
// a layer surface, which Qt's tool tip cannot be: it would show in the
// middle of the screen, over everything. A button's title, its only text,
// shows instead on a small surface of its own beside the panel, level with
// the button. And the chord over the panel moves it, as over the overlays.
// Installed on the application, it sees every widget's events.
class HostEvents : public QObject {
public:
    explicit HostEvents(HostWindow *panel);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void show(QWidget *owner);
    void hide();

    HostWindow *const m_panel;
    QPointer<QWidget> m_owner;
    QLabel m_tip;
};

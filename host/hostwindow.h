#pragma once

#include "panel/panel.h"

#include <QPointer>
#include <QScreen>

class CommandServer;
class QMouseEvent;

// The panel as a layer surface on a Wayland compositor, in the panel host's
// own process (host/main.cpp). The main Zarvel starts it and sends it "show"
// and "hide" over the host's socket; whatever needs a dialog (an empty
// button's file, the settings) or the tray goes back to the main Zarvel,
// since every window of this process would be a layer surface.
class HostWindow : public Panel {
    Q_OBJECT

public:
    HostWindow();

    // Alt with the right button, as the compositor's binding has it: over
    // the host's own surfaces that binding never hears of the press, and
    // the chord moves the panel to the pointer, as it does on X11.
    static bool isChord(const QMouseEvent &press);
    // Shows the panel at the pointer, which the overlays learn first.
    void popUp();
    // Where the panel shows: its screen, and its top-left corner from the
    // screen's; no screen while it never showed.
    QScreen *shownScreen() const { return m_screen; }
    QPoint shownOffset() const { return m_offset; }

protected:
    bool event(QEvent *e) override;
    void assignFile(int n) override;
    void tellUser(const QString &message) override;
    void on_pushButton_settings_clicked() override;

private:
    QByteArray answer(const QByteArray &request);

    CommandServer *m_server = nullptr;
    QPointer<QScreen> m_screen;
    QPoint m_offset;
};

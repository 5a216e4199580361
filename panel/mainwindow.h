#pragma once

#include "panel/panel.h"
#include "platform/platform.h"

#include <QElapsedTimer>

class CommandServer;
class QProcess;
class moreSettings;

// The main program's panel: a frameless, always-on-top tool window holding
// the grid of buttons, with the tray, the trigger and the dialogs around
// it. It is created once by main() and hidden until the trigger, the tray's
// "Show Window" entry or a test shows it. On a Wayland compositor with
// layer-shell the panel the user sees is the panel host's instead
// (host/hostwindow.h), which this one starts and keeps.
class MainWindow : public Panel {
    Q_OBJECT

public:
    // `pollTrigger`: the trigger polls every 10 ms, as designed; false with
    // "--no-poll", where it acts on input events as they come and the
    // program never wakes up while idle (where the system has such events).
    explicit MainWindow(bool pollTrigger = true, QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    bool event(QEvent *e) override;
    void assignFile(int n) override;
    // Through the tray (in tray.cpp).
    void tellUser(const QString &message) override;
    void on_pushButton_settings_clicked() override;

private slots:
    void createSystemTray();
    void createStartupShortcut();
    void createSettingsJson();
    void timerCheckMouse();
    void checkMouse();
    void showWindow();
    void enableSystem();
    void showUpdateWindow();
    void checkUpdates();
    void showAboutWindow();
    void reopen();

private:
    // The chord's and the --show command's way in (trigger.cpp).
    bool popUpAtPointer();
    void listenForCommands();
    QByteArray answerCommand(const QByteArray &request);
    // The native panel on a Wayland compositor (panelhost.cpp): this
    // process starts and keeps the host process, forwards "show" to it and
    // answers its requests.
    void startPanelHost();
    void startPanelHostAgain(); // unless it runs
    QByteArray showOnPanelHost(); // the answer to "show"
    bool answerPanelHost(const QByteArray &request, QByteArray *answer);

    // Quits, unless the settings editor holds edits the user keeps.
    void quitProgram();
    // Whether one of Zarvel's dialogs is open; if so, brings it to the front.
    bool raiseOpenDialog();

    bool pollTrigger;
    moreSettings *runningEditor = nullptr;
    CommandServer *commandServer = nullptr;
    QProcess *panelHost = nullptr;
    QElapsedTimer panelHostAge;
    int panelHostDeaths = 0; // in a row, each soon after its start
    bool panelHostShowPending = false; // asked for while the host was not listening
    QString layerShellProblem; // a Wayland session whose compositor cannot host the panel
    // The outcome of the last hand-over, for showUpdateWindow to report.
    Platform::StartResult lastHandOver;

    // Tests, fuzz targets and benchmarks reach the private operations
    // through this class (tests/support/access.h), so that renaming one
    // fails to compile there instead of silently testing nothing.
    friend class PanelAccess;
};

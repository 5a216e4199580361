#pragma once

#include "buttons/buttonstyle.h"
#include "buttons/document.h"
#include "platform/platform.h"

#include <QElapsedTimer>
#include <QFileIconProvider>
#include <QFileSystemWatcher>
#include <QMainWindow>

class CommandServer;
class QProcess;
class moreSettings;

namespace Ui {
class MainWindow;
}

// The panel: a frameless, always-on-top tool window holding the grid of
// buttons. It is created once by main() and hidden until the trigger, the
// tray's "Show Window" entry or a test shows it. Its shared state is in
// panel/panelstate.h.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    bool event(QEvent *e) override;
    void mousePressEvent(QMouseEvent *event) override;

private slots:
    void setup();
    void createSystemTray();
    void createStartupShortcut();
    void createSettingsJson();
    void setButtonsLayout();
    void setButtonsConfiguration();
    QString getRealPath(QString pathWithQuote);
    void timerCheckMouse();
    void checkMouse();
    void buttonClick();
    void showWindow();
    void enableSystem();
    void on_pushButton_settings_clicked();
    void showUpdateWindow();
    void checkUpdates();
    void showAboutWindow();
    void reopen();

private:
    // The steps of a click on slot n, in launching.cpp.
    // Each takes the document the click read, so that a click reads the
    // file once.
    bool redrawIfChanged(int n, const QJsonObject &root);
    void watchButtonsFile();
    void renewFileWatch();
    void enterFolder(int n, const QJsonObject &root);
    void goBack(const QJsonObject &root);
    void drawButtons(const QJsonObject &root);
    void launch(const QString &storedPath);
    void assignFile(int n);
    // The chord's and the --show command's way in (trigger.cpp).
    bool popUpAtPointer();
    void listenForCommands();
    QByteArray answerCommand(const QByteArray &request);
    // The native panel on a Wayland compositor (panelhost.cpp): the main
    // process starts and keeps the host process, forwards "show" to it and
    // answers its requests; the host shows the panel at the pointer.
    void startPanelHost();
    void startPanelHostAgain(); // unless it runs
    QByteArray showOnPanelHost(); // the answer to "show"
    bool answerPanelHost(const QByteArray &request, QByteArray *answer);
    void popUpOnLayerShell();
    friend int runPanelHost(int argc, char *argv[]);
    // Says something the user must know through the tray (in tray.cpp).
    void tellUser(const QString &message);

    // Quits, unless the settings editor holds edits the user keeps.
    void quitProgram();
    // Whether one of Zarvel's dialogs is open; if so, brings it to the front.
    bool raiseOpenDialog();

    Ui::MainWindow *ui;
    moreSettings *runningEditor = nullptr;
    CommandServer *commandServer = nullptr;
    QProcess *panelHost = nullptr;
    QElapsedTimer panelHostAge;
    int panelHostDeaths = 0; // in a row, each soon after its start
    bool panelHostShowPending = false; // asked for while the host was not listening
    QString layerShellProblem; // a Wayland session whose compositor cannot host the panel
    FolderPath folderStack;
    QFileSystemWatcher *fileWatcher = nullptr;
    QFileIconProvider iconProvider;
    ButtonIcons buttonIcons;
    // The outcome of the last hand-over, for showUpdateWindow to report.
    Platform::StartResult lastHandOver;

    // Tests, fuzz targets and benchmarks reach the private operations
    // through this class (tests/support/access.h), so that renaming one
    // fails to compile there instead of silently testing nothing.
    friend class PanelAccess;
};

#include "panel/mainwindow.h"

#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "panel/panelstate.h"
#include "platform/platform.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

MainWindow::MainWindow(bool pollTrigger, QWidget *parent)
    : Panel(parent)
    , pollTrigger(pollTrigger)
{
    // The tray icon first: it is what tells the user that Zarvel runs, and
    // the tray shows it while the panel is being built.
    startPanelHost();
    createSystemTray();
    buildForm();
    createStartupShortcut();
    createSettingsJson();
    watchButtonsFile();
    listenForCommands();
    enableSystem();
    setButtonsConfiguration();
    if (firstArgument != QLatin1String("-checkupdate"))
        checkUpdates();
}

MainWindow::~MainWindow()
{
    // The trigger's file-scope state belongs to this one panel; a panel made
    // later (the tests make several) starts again from the start values.
    systemEnabled = false;
    settingsOpen = false;
    if (!pollTrigger)
        Platform::instance().watchRightPresses(nullptr);
    if (panelHost) {
        // The host quits when its input closes; it is not restarted now.
        panelHost->disconnect(this);
        panelHost->closeWriteChannel();
        panelHost->waitForFinished(5000);
    }
    checkMouseTimer = nullptr;
    enableAction = nullptr;
    trayIcon = nullptr;
}

void MainWindow::createStartupShortcut()
{
    // A trial run (scripts/start from a source tree) leaves no login entry
    // behind that would point into a build folder.
    if (qEnvironmentVariableIntValue("ZARVEL_NO_AUTOSTART") != 0)
        return;
    Platform::instance().createAutostartEntry();
}

void MainWindow::createSettingsJson()
{
    // The tray icon exists by now: what the repair did to the user's file is
    // said there, not only in a log nobody reads.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    const QString path = QDir::toNativeSeparators(buttonsFilePath());
    QString backup;
    switch (ensureButtonsFile(buttonsFilePath(), &backup)) {
    case ButtonsFileCheck::ReplacedCorrupt:
        if (!backup.isEmpty())
            tellUser(tr("%1 was not a valid buttons file. It is kept as %2, and the default buttons replace it.")
                         .arg(path, QDir::toNativeSeparators(backup)));
        break;
    case ButtonsFileCheck::Unreadable:
        tellUser(tr("%1 cannot be read; it is left as it is.").arg(path));
        break;
    case ButtonsFileCheck::NotRegular:
        tellUser(tr("%1 is not a regular file; it is neither read nor replaced.").arg(path));
        break;
    case ButtonsFileCheck::WriteFailed:
        tellUser(tr("%1 could not be written.").arg(path));
        break;
    default:
        break;
    }
}

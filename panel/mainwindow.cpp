#include "panel/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/config.h"
#include "app/picture.h"
#include "app/resources.h"
#include "buttons/buttonsfile.h"
#include "panel/panelstate.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui((initResources(), new Ui::MainWindow))
{
    // The tray icon first: it is what tells the user that Zarvel runs, and
    // the tray shows it while the panel is being built.
    if (!panelHostRole) {
        startPanelHost();
        createSystemTray();
    }
    ui->setupUi(this);
    setup();
    enableSystem();
    setButtonsLayout();
    setButtonsConfiguration();
    if (!panelHostRole && firstArgument != QLatin1String("-checkupdate"))
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
    delete ui;
}

void MainWindow::setup()
{
    // On X11 the panel passes the window manager by, as menus do: it is
    // mapped at once, without a round trip through the window manager, and
    // where it is put (under XWayland the compositor centres every window it
    // manages). activateWindow() gives it the input focus directly, and
    // another window taking the focus still hides it. Elsewhere the hint
    // means nothing.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
    if (configValue(QStringLiteral("type")).toString() == QLatin1String("Lite")) {
        QFont font = ui->label->font();
        font.setPointSize(12);
        ui->label->setFont(font);
    }
    // Read here at the size it shows: the form would decode the 422 px
    // picture through every image plugin.
    QPushButton *settings = ui->pushButton_settings;
    settings->setIcon(QPixmap::fromImage(
        readPicture(QStringLiteral(":/res/settings.png"), settings->iconSize() * settings->devicePixelRatioF())));
    if (panelHostRole) {
        watchButtonsFile();
        listenForCommands();
        return;
    }
    createStartupShortcut();
    createSettingsJson();
    watchButtonsFile();
    listenForCommands();
}

// The panel follows the file: whoever changes it (by hand, another program,
// the settings editor), the panel shows what it holds now.
void MainWindow::watchButtonsFile()
{
    fileWatcher = new QFileSystemWatcher(this);
    const auto changed = [this] {
        renewFileWatch();
        setButtonsConfiguration();
    };
    connect(fileWatcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(fileWatcher, &QFileSystemWatcher::directoryChanged, this, changed);
    renewFileWatch();
}

// A watch stays on what it was put on, not on the name: a file replaced by
// a save, or a folder removed and made again (a restore, a sync tool), is
// a new one the old watch never sees; and one replaced while another
// program holds it open is not even reported gone. So every change renews
// the watches on what the names stand for now, before the redraw reads the
// file: the file, and its folder or, while that is missing, the nearest
// one above it, to see it come back.
void MainWindow::renewFileWatch()
{
    const QStringList watched = fileWatcher->files() + fileWatcher->directories();
    if (!watched.isEmpty())
        fileWatcher->removePaths(watched);
    const QString file = buttonsFilePath();
    // Only ever a file: Windows deletes no folder while it is watched, so a
    // folder in the file's place would stay however often the user removed it.
    if (QFileInfo(file).isFile())
        fileWatcher->addPath(file);
    QString folder = QFileInfo(file).absolutePath();
    while (!QFileInfo(folder).isDir() && !QDir(folder).isRoot())
        folder = QFileInfo(folder).absolutePath();
    fileWatcher->addPath(folder);
}

// A press on the panel's own surface neither moves it nor reaches the base.
void MainWindow::mousePressEvent(QMouseEvent *)
{
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

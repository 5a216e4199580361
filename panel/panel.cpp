#include "panel/panel.h"
#include "ui_mainwindow.h"

#include "app/config.h"
#include "app/picture.h"
#include "app/resources.h"
#include "buttons/buttonsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFont>
#include <QPushButton>

Panel::Panel(QWidget *parent)
    : QMainWindow(parent)
    , ui((initResources(), new Ui::MainWindow))
{
}

Panel::~Panel()
{
    delete ui;
}

void Panel::buildForm()
{
    ui->setupUi(this);
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
    setButtonsLayout();
}

// The panel follows the file: whoever changes it (by hand, another program,
// the settings editor), the panel shows what it holds now.
void Panel::watchButtonsFile()
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
void Panel::renewFileWatch()
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
void Panel::mousePressEvent(QMouseEvent *)
{
}

#include "panel/panelhost.h"

#include "app/style.h"
#include "panel/commands.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "panel/placement.h"
#include "platform/layershell.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

void MainWindow::startPanelHost()
{
    // A display named but not there (a test's private X session, say) is no
    // Wayland session.
    const std::optional<bool> offered
        = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ? layerShell::compositorHasIt() : std::nullopt;
    if (!offered)
        return;
    if (!*offered) {
        layerShellProblem = tr("This compositor offers no layer-shell (GNOME has none), so the panel runs through "
                               "XWayland and Alt + right-click is seen over X11 windows only.");
        return;
    }
    panelHost = new QProcess(this);
    panelHost->setProgram(QCoreApplication::applicationFilePath());
    panelHost->setArguments({ QStringLiteral("--panel-host") });
    panelHost->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(panelHost, &QProcess::started, this, [this] { panelHostAge.start(); });
    // A host that dies comes back a second later. One that keeps dying at
    // once (its compositor is gone, say) is left down after three tries,
    // and each show then tries once more.
    connect(panelHost, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, [this] {
        panelHostDeaths = panelHostAge.elapsed() < 10000 ? panelHostDeaths + 1 : 1;
        if (panelHostDeaths < 3)
            QTimer::singleShot(1000, panelHost, [this] { startPanelHostAgain(); });
        else if (panelHostDeaths == 3)
            tellUser(
                tr("The panel's process keeps stopping, so Zarvel stopped starting it; the next show tries again."));
    });
    panelHost->start();
}

void MainWindow::startPanelHostAgain()
{
    if (panelHost->state() == QProcess::NotRunning)
        panelHost->start();
}

bool MainWindow::answerPanelHost(const QByteArray &request, QByteArray *answer)
{
    const QList<QByteArray> words = request.split(' ');
    if (!panelHost || words.isEmpty())
        return false;
    // Answered before the dialogs open, which would hold the answer until
    // they close.
    if (words.first() == settingsRequest) {
        QTimer::singleShot(0, this, &MainWindow::on_pushButton_settings_clicked);
    } else if (words.first() == assignRequest && words.size() >= 2) {
        FolderPath path;
        for (const QByteArray &word : words.mid(2))
            path.append(word.toInt());
        const int n = words.at(1).toInt();
        QTimer::singleShot(0, this, [this, n, path] {
            if (n < 1 || n > buttonCount || modalOpen())
                return;
            folderStack = path;
            assignFile(n);
            folderStack.clear();
        });
    } else if (words.first() == tellRequest) {
        tellUser(QString::fromUtf8(request.mid(tellRequest.size() + 1)));
    } else {
        return false;
    }
    *answer = acceptedAnswer;
    return true;
}

void MainWindow::popUpOnLayerShell()
{
    hide();
    layerShell::showOverlays(
        [this](QScreen *screen, QPoint pointer) {
            // The pointer is in logical pixels already.
            const QPoint topLeft
                = panelTopLeft(pointer, size(), { { screen->geometry(), screen->availableGeometry(), 1 } });
            winId();
            layerShell::placePanel(windowHandle(), screen, topLeft - screen->geometry().topLeft());
            show();
            activateWindow();
        },
        [this] {
            hide();
            layerShell::hideOverlays();
        });
}

namespace {
// Every window of the host is a layer surface, which a tool tip cannot be:
// it would show in the middle of the screen, over everything.
class NoToolTips : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::ToolTip; }
};
} // namespace

int runPanelHost(int argc, char *argv[])
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", "wayland");
    layerShell::enable();
    QApplication application(argc, argv);
    useOwnFusion();
    // What the panel starts gets the session's own choice back.
    if (platform.isNull())
        qunsetenv("QT_QPA_PLATFORM");
    else
        qputenv("QT_QPA_PLATFORM", platform);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    panelHostRole = true;
    NoToolTips noToolTips;
    application.installEventFilter(&noToolTips);
#ifdef Q_OS_UNIX
    // The main Zarvel holds the other end of our input: when it is gone,
    // so is the host.
    QSocketNotifier parent(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&parent, &QSocketNotifier::activated, &application, [&] {
        char byte = 0;
        if (read(STDIN_FILENO, &byte, 1) <= 0)
            QCoreApplication::quit();
    });
#endif
    MainWindow panel;
    // Made now rather than by the first show, which would take several
    // times as long as later ones: the overlays' buffers, the panel's window
    // and its first paint (style sheets, fonts, icons).
    layerShell::warmUpOverlays();
    panel.winId();
    panel.grab();
    return application.exec();
}

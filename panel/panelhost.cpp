#include "panel/commands.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "platform/environment.h"
#include "platform/layershellprobe.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <utility>

// The panel's host on a Wayland compositor with layer-shell is a program of
// its own beside this one (host/main.cpp): layer-shell turns every
// window of a process into a layer surface, so the tray, the editor and
// every dialog stay here, and only the panel lives there.

void MainWindow::startPanelHost()
{
    // A build without the host stays on X11; a display named but not there
    // (a test's private X session, say) is no Wayland session.
    const QString host = QCoreApplication::applicationDirPath() + QStringLiteral("/zarvel-panel-host");
    if (!qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || !QFileInfo(host).isExecutable())
        return;
    const std::optional<bool> offered = compositorHasLayerShell();
    if (!offered)
        return;
    if (!*offered) {
        layerShellProblem = tr("This compositor offers no layer-shell (GNOME has none), so the panel runs through "
                               "XWayland and Alt + right-click is seen over X11 windows only.");
        return;
    }
    panelHost = new QProcess(this);
    panelHost->setProgram(host);
    panelHost->setProcessChannelMode(QProcess::ForwardedChannels);
    panelHost->setProcessEnvironment(givenEnvironment());
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

QByteArray MainWindow::showOnPanelHost()
{
    startPanelHostAgain();
    const QByteArray answer
        = panelHost->state() == QProcess::Running ? sendCommand(showRequest, panelHostSocketName()) : QByteArray();
    // A host not listening yet (started again just now, after a death or
    // when the tries had stopped, or still making its windows) is sent the
    // show when it says it is ready.
    panelHostShowPending = answer.isNull();
    return answer.isNull() ? shownAnswer : answer;
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
    } else if (words.first() == readyRequest) {
        // Unless the trigger went off or a dialog opened meanwhile.
        if (std::exchange(panelHostShowPending, false) && systemEnabled && !settingsOpen
            && !QApplication::activeModalWidget())
            postCommand(showRequest, panelHostSocketName());
    } else if (words.first() == tellRequest) {
        tellUser(QString::fromUtf8(request.mid(tellRequest.size() + 1)));
    } else {
        return false;
    }
    *answer = acceptedAnswer;
    return true;
}

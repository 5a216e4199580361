#include "panel/panelhost.h"

#include "app/style.h"
#include "panel/commands.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "panel/placement.h"
#include "platform/environment.h"
#include "platform/layershell.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolTip>

#include <utility>

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

namespace {
// Where the host's panel shows: its screen, and its top-left corner from
// the screen's.
QPointer<QScreen> panelScreen;
QPoint panelOffset;

// Alt with the right button, as the compositor's binding has it: over the
// host's own surfaces that binding never hears of the press.
bool isChord(const QMouseEvent &press)
{
    return press.button() == Qt::RightButton && (press.modifiers() & Qt::AltModifier);
}
} // namespace

void MainWindow::popUpOnLayerShell()
{
    hide();
    layerShell::showOverlays(
        [this](QScreen *screen, QPoint pointer) {
            // The pointer is in logical pixels already.
            const QPoint topLeft
                = panelTopLeft(pointer, size(), { { screen->geometry(), screen->availableGeometry(), 1 } });
            panelScreen = screen;
            panelOffset = topLeft - screen->geometry().topLeft();
            winId();
            layerShell::place(windowHandle(), screen, panelOffset, true);
            show();
            activateWindow();
        },
        [this](const QMouseEvent &press) {
            // The chord moves the panel to the pointer, as it does on X11;
            // any other press outside hides it.
            if (isChord(press)) {
                QTimer::singleShot(0, this, &MainWindow::popUpOnLayerShell);
            } else {
                hide();
                layerShell::hideOverlays();
            }
        });
}

namespace {
// What the host's panel does unlike a window. Every window of the host is a
// layer surface, which Qt's tool tip cannot be: it would show in the middle
// of the screen, over everything. A button's title, its only text, shows
// instead on a small surface of its own beside the panel, level with the
// button. And the chord over the panel moves it, as over the overlays.
class PanelHostEvents : public QObject {
public:
    explicit PanelHostEvents(MainWindow *panel, const std::function<void()> &popUp)
        : m_panel(panel)
        , m_popUp(popUp)
    {
        m_tip.setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        m_tip.setPalette(QToolTip::palette());
        m_tip.setFont(QToolTip::font());
        m_tip.setAutoFillBackground(true);
        m_tip.setFrameStyle(QFrame::Box | QFrame::Plain);
        m_tip.setMargin(3);
        m_tip.setTextFormat(Qt::PlainText);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(object);
        switch (event->type()) {
        case QEvent::ToolTip:
            // A widget without one passes the event on to its parent.
            if (widget && !widget->toolTip().isEmpty() && widget->window() == m_panel && panelScreen)
                show(widget);
            else
                event->ignore();
            return true;
        case QEvent::Leave:
        case QEvent::Hide:
            if (widget && (widget == m_owner || widget == m_panel))
                hide();
            break;
        case QEvent::MouseButtonPress:
            hide();
            if (widget && widget->window() == m_panel && isChord(*static_cast<QMouseEvent *>(event))) {
                QTimer::singleShot(0, m_panel, m_popUp);
                return true;
            }
            break;
        case QEvent::KeyPress:
        case QEvent::Wheel:
            hide();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void show(QWidget *owner)
    {
        hide();
        m_owner = owner;
        const QRect screen(QPoint(), panelScreen->size());
        const QRect panel(panelOffset, m_panel->size());
        m_tip.setText(owner->toolTip());
        m_tip.setWordWrap(false);
        m_tip.adjustSize();
        // A long title wraps rather than leave the screen.
        const int widest = qMax(screen.width() / 3, 100);
        if (m_tip.width() > widest) {
            m_tip.setWordWrap(true);
            m_tip.resize(widest, m_tip.heightForWidth(widest));
        }
        // Right of the panel, else left of it, else where it fits.
        const int gap = 4;
        const QRect button(panel.topLeft() + owner->mapTo(m_panel, QPoint()), owner->size());
        QPoint at(panel.right() + 1 + gap, button.center().y() - m_tip.height() / 2);
        if (at.x() + m_tip.width() > screen.width())
            at.setX(panel.left() - gap - m_tip.width());
        at.setX(qBound(0, at.x(), qMax(0, screen.width() - m_tip.width())));
        at.setY(qBound(0, at.y(), qMax(0, screen.height() - m_tip.height())));
        m_tip.winId();
        layerShell::place(m_tip.windowHandle(), panelScreen, at, false);
        m_tip.show();
    }
    void hide()
    {
        m_owner = nullptr;
        m_tip.hide();
    }

    MainWindow *const m_panel;
    const std::function<void()> m_popUp;
    QPointer<QWidget> m_owner;
    QLabel m_tip;
};
} // namespace

int runPanelHost(int argc, char *argv[])
{
    setOwnVariable("QT_QPA_PLATFORM", "wayland");
    layerShell::enable();
    QApplication application(argc, argv);
    useOwnFusion();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    panelHostRole = true;
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
    panel.setAttribute(Qt::WA_AlwaysShowToolTips);
    PanelHostEvents events(&panel, [&panel] { panel.popUpOnLayerShell(); });
    application.installEventFilter(&events);
    // Made now rather than by the first show, which would take several
    // times as long as later ones: the overlays' buffers, the panel's window
    // and its first paint (style sheets, fonts, icons).
    layerShell::warmUpOverlays();
    panel.winId();
    panel.grab();
    // Listening since the panel was made; a show that came before is sent now.
    QTimer::singleShot(0, [] { postCommand(readyRequest); });
    return application.exec();
}

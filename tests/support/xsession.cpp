#include "tests/support/xsession.h"

#include <QDir>

#include "tests/support/sandbox.h"

#include <csignal>
#include <sys/prctl.h>

namespace {

// Dies with the test process, so a crashed test leaves no X server behind.
class ChildProcess : public QProcess {
protected:
    void setupChildProcess() override { prctl(PR_SET_PDEATHSIG, SIGTERM); }
};

const char openboxConfig[] = R"(<openbox_config xmlns="http://openbox.org/3.4/rc"><mouse>
<context name="Frame"><mousebind button="A-Left" action="Drag"><action name="Move"/></mousebind>
<mousebind button="A-Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
<mousebind button="A-Right" action="Drag"><action name="Resize"/></mousebind></context>
<context name="Client"><mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
<mousebind button="Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind></context>
</mouse></openbox_config>)";

} // namespace

XSession::~XSession()
{
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        (*it)->terminate();
        (*it)->waitForFinished(5000);
    }
}

QProcess *XSession::launch(const QString &program, const QStringList &arguments)
{
    m_processes.push_back(std::make_unique<ChildProcess>());
    QProcess *process = m_processes.back().get();
    process->setProcessEnvironment(m_environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, arguments);
    return process;
}

bool XSession::start()
{
    // No session bus: Qt then uses the XEmbed tray that trayer hosts, and
    // nothing reaches the real user's desktop services.
    m_environment.remove("DBUS_SESSION_BUS_ADDRESS");
    m_environment.insert("QT_QPA_PLATFORM", "xcb");
    // A runtime folder of its own: the test's own panel answers on the one
    // in the sandbox, and Zarvel would take it for a Zarvel already running.
    QDir().mkpath(sandbox::root() + "/session-runtime");
    m_environment.insert("XDG_RUNTIME_DIR", sandbox::root() + "/session-runtime");
    // The server picks a free display and writes its number once it takes connections; it must not reset
    // whenever its only client (an xprop here) leaves, or a client connecting just then fails.
    QProcess *xvfb
        = launch("Xvfb", { "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x1024x24" });
    error = "Xvfb gave no display number";
    if (!waitFor([xvfb] { return xvfb->canReadLine(); }))
        return false;
    m_environment.insert("DISPLAY", ':' + QString::fromLatin1(xvfb->readLine().trimmed()));
    const QString config = sandbox::root() + "/openbox.xml";
    sandbox::writeFile(config, openboxConfig);
    launch("openbox", { "--config-file", config });
    error = "openbox does not manage the screen";
    if (!waitFor([this] { return run("xprop", { "-root", "_NET_SUPPORTING_WM_CHECK" }).contains("window id"); }))
        return false;
    launch("trayer", { "--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "100" });
    return true;
}

bool XSession::startZarvel(const QString &scale)
{
    if (m_zarvel) { // one Zarvel a user: the one running goes first
        m_zarvel->terminate();
        m_zarvel->waitForFinished(20000);
        m_placements.clear();
    }
    QProcessEnvironment environment = m_environment;
    if (!scale.isEmpty())
        m_environment.insert("QT_SCALE_FACTOR", scale);
    QProcess *zarvel = m_zarvel = launch(ZARVEL_BINARY, { "-checkupdate" });
    m_environment = environment;
    m_pid = QString::number(zarvel->processId());
    error = "Zarvel made no panel window";
    const QString zarvelPanel = "--all --pid " + m_pid + " --name MainWindow";
    if (!waitFor([&] { return !(panel = search(zarvelPanel).value(0)).isEmpty(); }))
        return false;
    // xev is ready once it reports a property set on the panel.
    m_panelLog = launch("xev", { "-id", panel, "-event", "structure", "-event", "property" });
    error = "xev does not watch the panel";
    return waitFor([this] {
        run("xprop", { "-id", panel, "-f", "ZARVEL_TEST", "8s", "-set", "ZARVEL_TEST", "watched" });
        return logged("ZARVEL_TEST");
    });
}

QString XSession::startClient(const QRect &g)
{
    launch("xmessage",
        { "-name", "zarvelclient", "-geometry",
            QStringLiteral("%1x%2+%3+%4").arg(g.width()).arg(g.height()).arg(g.x()).arg(g.y()), "-buttons", "",
            "A client window" });
    QString window;
    waitFor([&] { return !(window = search("--onlyvisible --classname ^zarvelclient$").value(0)).isEmpty(); });
    return window;
}

QString XSession::run(const QString &program, const QStringList &arguments) const
{
    QProcess process; // killed when it takes longer
    process.setProcessEnvironment(m_environment);
    process.start(program, arguments);
    process.waitForFinished(20000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

int XSession::trayIcons() const
{
    int icons = 0;
    for (const QString &window : search("--onlyvisible --pid " + m_pid))
        icons += run("xprop", { "-id", window, "_XEMBED_INFO" }).contains('=');
    return icons;
}

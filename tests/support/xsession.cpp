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

const char openboxConfig[] = R"(<openbox_config xmlns="http://openbox.org/3.4/rc">
<keyboard><keybind key="A-F4"><action name="Close"/></keybind></keyboard><mouse><context name="Frame">
<mousebind button="A-Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
<mousebind button="A-Right" action="Drag"><action name="Resize"/></mousebind></context><context name="Client">
<mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
<mousebind button="Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
</context></mouse></openbox_config>)";

} // namespace

XSession::~XSession()
{
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        (*it)->terminate();
        (*it)->waitForFinished(5000);
    }
}

QProcess *XSession::launch(const QString &program, const QStringList &arguments, QProcessEnvironment environment)
{
    m_processes.push_back(std::make_unique<ChildProcess>());
    QProcess *process = m_processes.back().get();
    process->setProcessEnvironment(environment.isEmpty() ? m_environment : environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, arguments);
    return process;
}

bool XSession::start()
{
    // No session bus: Qt then uses trayer's XEmbed tray, and nothing reaches the user's desktop services; no Wayland
    // display, or Zarvel would put its panel on the developer's own compositor. A runtime folder of its own, or
    // Zarvel takes the test's panel, answering in the sandbox's, for a Zarvel already running.
    m_environment.remove("DBUS_SESSION_BUS_ADDRESS");
    m_environment.remove("WAYLAND_DISPLAY");
    m_environment.insert("QT_QPA_PLATFORM", "xcb");
    QDir().mkpath(sandbox::root() + "/session-runtime");
    QFile::setPermissions(sandbox::root() + "/session-runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_environment.insert("XDG_RUNTIME_DIR", sandbox::root() + "/session-runtime");
    // The server picks a free display and writes its number once it takes connections; it must not reset whenever its
    // only client (an xprop here) leaves, or a client connecting just then fails.
    QProcess *xvfb
        = launch("Xvfb", { "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x1024x24" });
    error = "Xvfb gave no display number";
    if (!waitFor([xvfb] { return xvfb->canReadLine(); }))
        return false;
    m_environment.insert("DISPLAY", ':' + QString::fromLatin1(xvfb->readLine().trimmed()));
    sandbox::writeFile(sandbox::root() + "/openbox.xml", openboxConfig);
    launch("openbox", { "--config-file", sandbox::root() + "/openbox.xml" });
    error = "openbox does not manage the screen";
    if (!waitFor([this] { return run("xprop", { "-root", "_NET_SUPPORTING_WM_CHECK" }).contains("window id"); }))
        return false;
    launch("trayer", { "--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "100" });
    return true;
}

bool XSession::startZarvel(const QStringList &settings)
{
    if (m_zarvel) { // one Zarvel a user: the one running goes first
        m_zarvel->terminate();
        m_zarvel->waitForFinished(20000);
        m_placements.clear();
    }
    QProcessEnvironment environment = m_environment;
    QStringList arguments { "-checkupdate" };
    for (const QString &setting : settings)
        setting.contains('=') ? environment.insert(setting.section('=', 0, 0), setting.section('=', 1))
                              : void(arguments << setting);
    m_zarvel = launch(ZARVEL_BINARY, arguments, environment);
    error = "Zarvel made no panel window";
    const QString zarvelPanel = "--all --pid " + QString::number(m_zarvel->processId()) + " --name MainWindow";
    if (!waitFor([&] { return !(panel = search(zarvelPanel).value(0)).isEmpty(); }))
        return false;
    m_panelLog = launch("xev", { "-id", panel, "-event", "structure", "-event", "property" });
    error = "xev does not watch the panel";
    return waitFor([this] { // xev is ready once it reports a property set on the panel
        run("xprop", { "-id", panel, "-f", "ZARVEL_TEST", "8s", "-set", "ZARVEL_TEST", "watched" });
        return logged("ZARVEL_TEST");
    });
}

bool XSession::startClient()
{
    launch("xmessage", { "-name", "zarvelclient", "-geometry", "300x200+600+500", "-buttons", "", "A client window" });
    error = "xmessage made no window";
    return waitFor([&] { return !(client = search("--onlyvisible --classname ^zarvelclient$").value(0)).isEmpty(); });
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
    for (const QString &window : search("--onlyvisible --pid " + QString::number(m_zarvel->processId())))
        icons += run("xprop", { "-id", window, "_XEMBED_INFO" }).contains('=');
    return icons;
}

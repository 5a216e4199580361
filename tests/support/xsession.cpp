#include "tests/support/xsession.h"

#include "tests/support/sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

// Dies with the test process, so a crashed test leaves no X server behind.
class ChildProcess : public QProcess
{
protected:
    void setupChildProcess() override { prctl(PR_SET_PDEATHSIG, SIGTERM); }
};

void stop(QProcess *process)
{
    if (process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (!process->waitForFinished(5000)) {
        process->kill();
        process->waitForFinished(5000);
    }
}

const char openboxConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus>
    <focusNew>yes</focusNew>
    <followMouse>no</followMouse>
  </focus>
  <mouse>
    <context name="Frame">
      <mousebind button="A-Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="A-Left" action="Drag"><action name="Move"/></mousebind>
      <mousebind button="A-Right" action="Press">
        <action name="Focus"/><action name="Raise"/><action name="Unshade"/>
      </mousebind>
      <mousebind button="A-Right" action="Drag"><action name="Resize"/></mousebind>
    </context>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Middle" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
</openbox_config>
)";

} // namespace

XSession::XSession()
    : XSession(Options())
{
}

XSession::XSession(const Options &options)
    : m_options(options)
{
}

XSession::~XSession()
{
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it)
        stop(it->get());
}

bool XSession::fail(const QString &message)
{
    m_error = message;
    return false;
}

QString XSession::errorString() const
{
    return m_error;
}

QString XSession::display() const
{
    return m_display;
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    // No session bus: Qt then uses the XEmbed tray that trayer hosts, and
    // nothing reaches the real user's desktop services.
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

QProcess *XSession::launch(const QString &program, const QStringList &arguments, bool captureOutput)
{
    auto process = std::make_unique<ChildProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessEnvironment(environment());
    process->setWorkingDirectory(sandbox::home());
    if (!captureOutput) {
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
    }
    process->start();
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

bool XSession::start()
{
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));

    QStringList arguments{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp"), QStringLiteral("-noreset")};
    arguments << QStringLiteral("-screen") << QStringLiteral("0")
              << QStringLiteral("%1x%2x24").arg(m_options.screenSize.width()).arg(m_options.screenSize.height());
    QProcess *xvfb = launch(QStringLiteral("Xvfb"), arguments, true);
    xvfb->setReadChannel(QProcess::StandardOutput);
    if (!xvfb->waitForStarted(10000))
        return fail(QStringLiteral("Xvfb does not start: ") + xvfb->errorString());
    // With -displayfd the server picks a free display and writes its number
    // once it accepts connections.
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.endsWith('\n') && clock.elapsed() < 20000) {
        if (xvfb->state() == QProcess::NotRunning)
            return fail(QStringLiteral("Xvfb ended: ") + QString::fromLocal8Bit(xvfb->readAllStandardError()));
        xvfb->waitForReadyRead(200);
        number += xvfb->readAllStandardOutput();
    }
    if (!number.endsWith('\n'))
        return fail(QStringLiteral("Xvfb gave no display number"));
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    const QString config = m_dir.filePath(QStringLiteral("openbox.xml"));
    if (!sandbox::writeFile(config, openboxConfig))
        return fail(QStringLiteral("cannot write ") + config);
    launch(QStringLiteral("openbox"), {QStringLiteral("--config-file"), config}, false);
    const bool managed = waitFor([this] {
        return run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QLatin1String("window id"));
    });
    return managed || fail(QStringLiteral("openbox does not manage the screen"));
}

bool XSession::startTray()
{
    launch(QStringLiteral("trayer"),
           {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("left"),
            QStringLiteral("--widthtype"), QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("100"),
            QStringLiteral("--heighttype"), QStringLiteral("pixel"), QStringLiteral("--height"), QStringLiteral("32"),
            QStringLiteral("--SetDockType"), QStringLiteral("true"), QStringLiteral("--SetPartialStrut"),
            QStringLiteral("true")},
           false);
    const bool shown = waitFor([this] {
        return !findWindows({QStringLiteral("--onlyvisible"), QStringLiteral("--class"), QStringLiteral("trayer")})
                    .isEmpty();
    });
    return shown || fail(QStringLiteral("trayer shows no window"));
}

bool XSession::startZarvel(const QStringList &arguments)
{
    m_panel = 0;
    m_zarvelErrors.clear();
    m_zarvel = launch(QStringLiteral(ZARVEL_BINARY), arguments, true);
    if (!m_zarvel->waitForStarted(10000))
        return fail(QStringLiteral("Zarvel does not start: ") + m_zarvel->errorString());
    const bool ready = waitFor([this] { return !zarvelRunning() || panelWindow() != 0; }, 20000);
    if (!zarvelRunning())
        return fail(QStringLiteral("Zarvel ended at start: ") + QString::fromLocal8Bit(zarvelErrors()));
    return ready || fail(QStringLiteral("Zarvel made no panel window"));
}

qint64 XSession::zarvelPid() const
{
    return m_zarvel ? m_zarvel->processId() : 0;
}

bool XSession::zarvelRunning() const
{
    return m_zarvel && m_zarvel->state() != QProcess::NotRunning;
}

int XSession::waitForZarvelExit(int timeoutMs)
{
    if (!m_zarvel)
        return -1;
    if (!waitFor([this] { return !zarvelRunning(); }, timeoutMs))
        return -1;
    return m_zarvel->exitStatus() == QProcess::NormalExit ? m_zarvel->exitCode() : -1;
}

QByteArray XSession::zarvelErrors()
{
    if (m_zarvel)
        m_zarvelErrors += m_zarvel->readAllStandardError();
    return m_zarvelErrors;
}

void XSession::stopZarvel()
{
    if (m_zarvel)
        stop(m_zarvel);
    m_panel = 0;
}

QProcess *XSession::startProgram(const QString &program, const QStringList &arguments)
{
    return launch(program, arguments, false);
}

XSession::WindowId XSession::startClientWindow(const QRect &geometry)
{
    // A class name of its own finds exactly this window again.
    const QString name = QStringLiteral("zarvelclient%1").arg(++m_clients);
    launch(QStringLiteral("xmessage"),
           {QStringLiteral("-name"), name, QStringLiteral("-geometry"),
            QStringLiteral("%1x%2+%3+%4").arg(geometry.width()).arg(geometry.height()).arg(geometry.x()).arg(geometry.y()),
            QStringLiteral("-buttons"), QString(), QStringLiteral("A client window")},
           false);
    WindowId window = 0;
    waitFor([&] {
        const QList<WindowId> found =
            findWindows({QStringLiteral("--onlyvisible"), QStringLiteral("--classname"), QLatin1Char('^') + name + QLatin1Char('$')});
        window = found.isEmpty() ? 0 : found.first();
        return window != 0;
    });
    return window;
}

QString XSession::run(const QString &program, const QStringList &arguments, bool *ok) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    const bool finished = process.waitForFinished(10000);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QString XSession::xdotool(const QStringList &arguments, bool *ok) const
{
    return run(QStringLiteral("xdotool"), arguments, ok);
}

void XSession::movePointer(const QPoint &to)
{
    xdotool({QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y())});
}

void XSession::click(const QPoint &at, int button)
{
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QString::number(button)});
}

void XSession::chord(const QPoint &at)
{
    movePointer(at);
    xdotool({QStringLiteral("keydown"), QStringLiteral("alt"), QStringLiteral("click"), QStringLiteral("3"),
             QStringLiteral("keyup"), QStringLiteral("alt")});
}

void XSession::key(const QString &keys)
{
    xdotool(QStringList{QStringLiteral("key")} + keys.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

QList<XSession::WindowId> XSession::findWindows(const QStringList &searchArguments) const
{
    QList<WindowId> windows;
    const QString output = xdotool(QStringList{QStringLiteral("search")} + searchArguments);
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const WindowId window = line.trimmed().toULongLong(&ok);
        if (ok && window != 0)
            windows.append(window);
    }
    return windows;
}

XSession::WindowId XSession::panelWindow() const
{
    if (m_panel == 0 && zarvelRunning()) {
        const QList<WindowId> found = findWindows(
            {QStringLiteral("--pid"), QString::number(zarvelPid()), QStringLiteral("--name"), QStringLiteral("^MainWindow$")});
        m_panel = found.isEmpty() ? 0 : found.first();
    }
    return m_panel;
}

QList<XSession::WindowId> XSession::zarvelWindows() const
{
    if (!zarvelRunning())
        return {};
    return findWindows({QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(zarvelPid())});
}

QString XSession::property(WindowId window, const QString &name) const
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), name});
}

XSession::WindowId XSession::trayIconWindow() const
{
    // The one window that speaks the tray's embedding protocol.
    for (WindowId window : zarvelWindows()) {
        if (property(window, QStringLiteral("_XEMBED_INFO")).contains(QLatin1Char('=')))
            return window;
    }
    return 0;
}

XSession::WindowId XSession::menuWindow() const
{
    for (WindowId window : zarvelWindows()) {
        if (property(window, QStringLiteral("_NET_WM_WINDOW_TYPE")).contains(QLatin1String("_MENU")))
            return window;
    }
    return 0;
}

bool XSession::isViewable(WindowId window) const
{
    return window != 0
        && run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)})
               .contains(QLatin1String("Map State: IsViewable"));
}

bool XSession::isPanelShown() const
{
    return isViewable(panelWindow());
}

QRect XSession::geometry(WindowId window) const
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    auto field = [&info](const char *name) {
        const QRegularExpression pattern(QLatin1String(name) + QStringLiteral(":\\s*(-?\\d+)"));
        return pattern.match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}

XSession::WindowId XSession::activeWindow() const
{
    bool ok = false;
    const WindowId window = xdotool({QStringLiteral("getactivewindow")}).toULongLong(&ok);
    return ok ? window : 0;
}

bool XSession::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

void XSession::settle(int milliseconds)
{
    QTest::qWait(milliseconds);
}

// Measures what Zarvel costs its user, from outside, on the tests' private X session in their sandbox: beside a Qt tool
// of the same parts (bench-tool), start to ready, memory after the first show and idle CPU; then the chord and `Zarvel
// --show` to the panel painted, a click to the panel hidden, buttons.json changed to the panel repainted, and memory
// over those redraws and with huge icons. It prints figures and the targets they meet, and never fails on one.
// Usage: bench-zarvel [idle seconds, 30]; BENCH_QUICK=1 makes a short run. It lays a panel out on $DISPLAY.
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "panel/panelstate.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"
#include "tests/support/xsession.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

namespace {

const double none = std::nan("");

struct Figure {
    double median = none, worst = none;
};
Figure figure(std::vector<double> values) // of the rounds that did not fail
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }), values.end());
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n ? Figure { n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2, values.back() } : Figure {};
}

// In MB: private memory (USS: Private_Clean + Private_Dirty), proportional (PSS) and resident (RSS).
struct Memory {
    double uss = 0, pss = 0, rss = 0;
};
Memory memoryOf(qint64 pid)
{
    Memory m;
    for (const QByteArray &line : sandbox::readFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid)).split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        const double mb = words.value(1).toDouble() / 1024;
        m.rss += words[0] == "Rss:" ? mb : 0;
        m.pss += words[0] == "Pss:" ? mb : 0;
        m.uss += words[0] == "Private_Clean:" || words[0] == "Private_Dirty:" ? mb : 0;
    }
    return m;
}

// Each process's CPU time (of all its threads, also those that ended) over `seconds` of idling, in % of one core.
std::vector<double> idleCpu(const std::vector<qint64> &pids, int seconds)
{
    const auto ticks = [](qint64 pid) { // utime + stime, the fields after the name's ")"
        const QList<QByteArray> fields
            = sandbox::readFile(QStringLiteral("/proc/%1/stat").arg(pid)).split(')').value(1).split(' ');
        return fields.value(12).toDouble() + fields.value(13).toDouble();
    };
    std::vector<double> cpu;
    for (qint64 pid : pids)
        cpu.push_back(ticks(pid));
    QThread::sleep(seconds);
    for (size_t i = 0; i < pids.size(); ++i)
        cpu[i] = (ticks(pids[i]) - cpu[i]) / sysconf(_SC_CLK_TCK) / seconds * 100;
    return cpu;
}

QJsonObject button(const QString &path, const QString &icon)
{
    return { { pathMember, path }, { iconMember, QString('"' + icon + '"') }, { backgroundMember, "#2a5d8f" } };
}

// Icons of every kind the panel draws (desktop entries, programs with the system's icon of the file or a picture file,
// `pictures` last), then a program, a document and a folder to click.
QJsonObject buttonsDocument(const QStringList &pictures = {})
{
    const QString entries = "/usr/share/applications/", images = "/usr/share/icons/Adwaita/48x48/legacy/";
    QJsonObject root;
    for (int n = 1; n <= buttonCount - 3; ++n) {
        const int picture = n + int(pictures.size()) - buttonCount + 2; // an index of `pictures` on the last ones
        const QString program = "/usr/bin/" + QDir("/usr/bin").entryList(QDir::Files | QDir::Executable).value(n);
        const QString entry = entries + QDir(entries).entryList({ "*.desktop" }).value(n);
        const QString icon = picture >= 0 ? pictures[picture] : images + QDir(images).entryList({ "*.png" }).value(n);
        root[buttonKey(n)] = n % 3 == 0 && picture < 0
            ? button('"' + entry + '"', entry)
            : button('"' + program + '"', n % 3 == 1 && picture < 0 ? program : icon);
    }
    const QString home = sandbox::home();
    root[buttonKey(buttonCount - 2)] = button('"' + home + "/bin/quick\" -a \"b c\"", home + "/bin/quick");
    root[buttonKey(buttonCount - 1)] = button('"' + home + "/notes.txt\"", home + "/notes.txt");
    QJsonObject folder = button(folderMarker, ":/res/folder.png");
    folder[folderMember] = QJsonObject { { buttonKey(2), button("\"/bin/true\"", "/bin/true") } };
    root[buttonKey(buttonCount)] = folder;
    return root;
}

// An X connection of the benchmark's own: input as a user's, and what becomes of the window it watches.
class Probe {
public:
    // The watched window mapped, then painted; unmapped; painted; an icon taken in by a tray.
    enum Outcome { shown, hidden, painted, trayed };

    explicit Probe(const QString &display)
        : d(XOpenDisplay(display.toLocal8Bit().constData()))
    {
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; }); // windows go while they are looked at
        XDamageQueryExtension(d, &damageEvent, &damageError);
    }
    ~Probe() { XCloseDisplay(d); } // after the server has handled all input sent
    void watch(Window w)
    {
        XSelectInput(d, window = w, StructureNotifyMask);
        damage = XDamageCreate(d, w, XDamageReportNonEmpty);
    }
    // Milliseconds from `act` to `outcome`, if it comes within 10 s. A tray's icon is any window taken away from the
    // root: Zarvel's and the tool's windows bypass the window manager.
    double timed(const std::function<void()> &act, Outcome outcome)
    {
        settle(0);
        XSelectInput(d, DefaultRootWindow(d), outcome == trayed ? SubstructureNotifyMask : NoEventMask);
        QElapsedTimer clock;
        clock.start();
        act();
        XFlush(d);
        for (XEvent e; next(&e, 10000 - clock.elapsed());) {
            if (outcome == shown && e.type == MapNotify && e.xmap.window == window)
                outcome = painted; // the paint comes after the map
            else if ((outcome == painted && e.type == damageEvent + XDamageNotify)
                || (outcome == hidden && e.type == UnmapNotify && e.xunmap.window == window)
                || (outcome == trayed && e.type == ReparentNotify && e.xreparent.parent != DefaultRootWindow(d)))
                return clock.nsecsElapsed() / 1e6;
        }
        return none;
    }
    // Drops events until none came for `quietMs`, and forgets the damage so far.
    void settle(int quietMs)
    {
        XEvent event;
        do {
            QCoreApplication::processEvents(); // reads the pipes of the session's programs
            if (damage)
                XDamageSubtract(d, damage, 0, 0);
            XSync(d, False);
            while (XPending(d))
                XNextEvent(d, &event);
        } while (quietMs > 0 && next(&event, quietMs));
    }
    void moveTo(QPoint at) { XTestFakeMotionEvent(d, -1, at.x(), at.y(), 0); }
    void press(unsigned button, bool down) { XTestFakeButtonEvent(d, button, down, 0); }
    void alt(bool down) { XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Alt_L), down, 0); }

private:
    bool next(XEvent *event, qint64 timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        for (pollfd connection { ConnectionNumber(d), POLLIN, 0 }; !XPending(d);) {
            if (clock.elapsed() >= timeoutMs)
                return false;
            if (poll(&connection, 1, int(timeoutMs - clock.elapsed())) < 0 && errno != EINTR) // a child's end
                return false;
        }
        XNextEvent(d, event);
        return true;
    }
    Display *const d;
    int damageEvent = 0, damageError = 0;
    Damage damage = 0;
    Window window = 0;
};

// Milliseconds from the right button pressed, Alt held, at `at` to the panel painted.
double chord(Probe &x, QPoint at)
{
    x.moveTo(at);
    x.alt(true);
    x.settle(20);
    const double time = x.timed([&x] { x.press(3, true); }, Probe::shown);
    x.press(3, false);
    x.alt(false);
    return time;
}

// Milliseconds from the left button released at `at`, after its press was handled, to `outcome`.
double click(Probe &x, QPoint at, Probe::Outcome outcome = Probe::hidden)
{
    x.moveTo(at);
    x.settle(50);
    x.press(1, true);
    x.settle(50);
    return x.timed([&x] { x.press(1, false); }, outcome);
}
const QPoint away { 750, 600 }, corner { 300, 200 }; // on the client window, which takes the focus; the panel's place

// Rounds of `show` (the panel shown, then hidden), 100 ms plus a step of 3.7 ms apart: on spread points of a 10 ms
// poll.
Figure shows(Probe &x, int rounds, const std::function<double(QPoint)> &show)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QThread::usleep(100000 + i * 3700 % 10000);
        times.push_back(show(QPoint(200 + i % 10 * 20, 200 + i % 7 * 20)));
        click(x, away);
    }
    return figure(times);
}

// A line of figures; with a `limit`, whether `value` meets that target (given here only).
void row(const QString &label, const std::vector<double> &cells, double value = none, double limit = none,
    const char *unit = "")
{
    std::printf("%-48s", qPrintable(label));
    for (double cell : cells)
        std::printf(" %9s", std::isnan(cell) ? "-" : qPrintable(QString::number(cell, 'f', cell < 10 ? 2 : 1)));
    if (!std::isnan(limit))
        std::printf("%*s   target <= %g%s: %s", int(3 - cells.size()) * 10, "", limit, unit,
            std::isnan(value)    ? "n/a"
                : value <= limit ? "met"
                                 : "not met");
    std::printf("\n");
}

int run(int idleSeconds)
{
    const bool quick = qEnvironmentVariableIsSet("BENCH_QUICK");
    const int starts = quick ? 3 : 15, rounds = quick ? 5 : 20, redraws = quick ? 100 : 1000;
    const auto loadAverage = [] { return QString::fromLatin1(sandbox::readFile("/proc/loadavg")).section(' ', 0, 2); };
    const QString load = loadAverage(), count = QString::number(buttonCount);
    XSession session;
    if (!session.start() || !session.startClient()) { // the window to click away from the panel
        std::fprintf(stderr, "bench: %s\n", qPrintable(session.error));
        return 1;
    }
    Probe x(session.environment().value("DISPLAY"));

    // Where the panel's buttons sit: the same panel, laid out here. Documents open with a program that ends at once.
    std::vector<QPoint> centres;
    {
        FakePlatform platform;
        TestPanel layout(&platform);
        layout.window->show();
        if (!QTest::qWaitForWindowExposed(layout.window))
            return 1;
        for (QPushButton *button : panelButtons)
            centres.push_back(corner + button->mapTo(layout.window, button->rect().center()));
    }
    const QString home = sandbox::home();
    sandbox::writeProgram(home + "/bin/quick", "#!/bin/sh\nexit 0\n");
    sandbox::writeFile(home + "/notes.txt", "notes\n");
    sandbox::writeFile(home + "/.local/share/applications/quick.desktop",
        "[Desktop Entry]\nType=Application\nName=Quick\nMimeType=text/plain;\nExec=" + home.toLocal8Bit()
            + "/bin/quick %u\n");
    sandbox::writeFile(home + "/.config/mimeapps.list", "[Default Applications]\ntext/plain=quick.desktop\n");
    QImage(8000, 6000, QImage::Format_RGB888).save(home + "/big.jpg", "JPEG", 85);
    QImage(20000, 20000, QImage::Format_Mono).save(home + "/big.png", "PNG");

    std::printf("Measuring start to ready, %d starts each ...\n", starts);
    QFile::remove(buttonsFilePath()); // a new user's panel
    std::vector<double> startTimes[2]; // Zarvel's, the tool's
    for (int i = 0; i < starts * 2; ++i) {
        QProcess *process = nullptr;
        startTimes[i % 2].push_back(x.timed(
            [&] { process = session.launch(i % 2 ? BENCH_TOOL : ZARVEL_BINARY, { i % 2 ? count : "-checkupdate" }); },
            Probe::trayed));
        process->terminate();
        if (!process->waitForFinished(10000))
            process->kill();
        QThread::msleep(300); // for the server, the window manager and the tray to forget it
    }

    std::printf("Measuring idle CPU for %d s, then memory after the first show ...\n", idleSeconds);
    const auto restart = [&](const QStringList &settings) {
        session.startZarvel(settings);
        waitFor([&] { return session.trayIcons() == 1; });
        x.watch(session.panel.toULong());
        x.settle(1000);
    };
    const auto firstShow = [&] {
        chord(x, corner);
        x.settle(1000);
        const Memory memory = memoryOf(session.zarvelPid());
        click(x, away);
        return memory;
    };
    QProcess *tool = session.launch(BENCH_TOOL, { count });
    restart({});
    const std::vector<double> cpu = idleCpu({ session.zarvelPid(), tool->processId() }, idleSeconds);
    const Memory toolMemory = memoryOf(tool->processId()), zarvelNew = firstShow();

    std::printf("Measuring shows, clicks and redraws of the panel with icons, %d rounds each ...\n", rounds);
    QJsonObject root = buttonsDocument();
    writeButtonsDocument(buttonsFilePath(), root);
    restart({});
    const Memory zarvelIcons = firstShow();
    const Figure chords = shows(x, rounds, [&x](QPoint at) { return chord(x, at); });
    const Figure commands = shows(x, rounds, [&](QPoint at) {
        x.moveTo(at);
        return x.timed([&] { session.launch(ZARVEL_BINARY, { "--show" }); }, Probe::shown);
    });
    std::vector<double> clicks[4]; // a program, a document: the panel hidden; a folder, its Back: the level painted
    for (int i = 0; i < rounds * 3; ++i) {
        QThread::msleep(100);
        chord(x, corner);
        clicks[i % 3].push_back(click(x, centres[buttonCount - 3 + i % 3], i % 3 < 2 ? Probe::hidden : Probe::painted));
        if (i % 3 == 2) {
            clicks[3].push_back(click(x, centres[0], Probe::painted));
            click(x, away);
        }
    }
    chord(x, corner); // and buttons.json rewritten, as the editor writes it, while the panel shows
    x.settle(1000);
    const double ussBefore = memoryOf(session.zarvelPid()).uss;
    std::vector<double> repaints;
    for (int i = 0; i < redraws; ++i) {
        QJsonObject first = root[buttonKey(1)].toObject();
        first[backgroundMember] = i % 2 ? "#2a5d8f" : "#8f5d2a";
        root[buttonKey(1)] = first;
        QElapsedTimer writing; // timed from the file written
        const double time = x.timed(
            [&] {
                writing.start();
                writeButtonsDocument(buttonsFilePath(), root);
                writing.restart();
            },
            Probe::painted);
        repaints.push_back(std::isnan(time) ? time : writing.nsecsElapsed() / 1e6);
        x.settle(30); // the change is seen on the file and on its folder
    }
    x.settle(1000);
    const double growth = memoryOf(session.zarvelPid()).uss - ussBefore;
    click(x, away);

    std::printf("Measuring the idle mode (--no-poll): idle CPU and %d shows; and huge icons ...\n\n", rounds);
    restart({ "--no-poll" });
    const double noPollCpu = idleCpu({ session.zarvelPid() }, idleSeconds)[0];
    const Figure noPollChords = shows(x, rounds, [&x](QPoint at) { return chord(x, at); });
    writeButtonsDocument(buttonsFilePath(), buttonsDocument({ home + "/big.jpg", home + "/big.png" }));
    restart({});
    const Memory zarvelHuge = firstShow();

    std::printf("Xvfb, %d cores, load average %s before the run and %s after it\n", QThread::idealThreadCount(),
        qPrintable(load), qPrintable(loadAverage()));
    std::printf("%-48s %9s %9s %9s\n", "", "Zarvel", "tool", "Zarvel/tool");
    const double zarvelStart = figure(startTimes[0]).median, toolStart = figure(startTimes[1]).median;
    row(QStringLiteral("start to tray icon shown, ms, median of %1").arg(starts),
        { zarvelStart, toolStart, zarvelStart / toolStart }, zarvelStart / toolStart, 1.4, " x");
    const Memory &z = zarvelNew, &t = toolMemory;
    row("USS after the first show, MB", { z.uss, t.uss, z.uss / t.uss }, z.uss / t.uss, 1.15, " x");
    row("PSS after the first show, MB", { z.pss, t.pss, z.pss / t.pss }, z.pss / t.pss, 1.15, " x");
    row("RSS after the first show, MB", { z.rss, t.rss, z.rss / t.rss });
    row(QStringLiteral("idle CPU over %1 s, % of one core").arg(idleSeconds), { cpu[0], cpu[1] });
    std::printf("\nZarvel, %d buttons with icons of every kind %9s %9s\n", buttonCount, "median", "worst");
    const auto times = [](const QString &label, const Figure &f, double limit = none) {
        row(label, { f.median, f.worst }, f.median, limit, " ms (median)");
    };
    times(QStringLiteral("chord to panel painted, 10 ms poll, ms (%1)").arg(rounds), chords, 8);
    times("chord to panel painted, --no-poll, ms", noPollChords, 3);
    times("`Zarvel --show` started to panel painted, ms", commands, 20);
    times("a click on a program to the panel hidden, ms", figure(clicks[0]));
    times("a click on a document to the panel hidden, ms", figure(clicks[1]));
    times("a click on a folder to its buttons painted, ms", figure(clicks[2]));
    times("a click on its Back to the top level painted, ms", figure(clicks[3]));
    times(QStringLiteral("buttons.json written to repainted, ms (%1)").arg(redraws), figure(repaints));
    row("idle CPU with --no-poll, % of one core", { noPollCpu }, std::round(noPollCpu * 1000) / 1000, 0, " %");
    std::printf("%-48s %9s %9s %9s\n", "", "USS", "PSS", "RSS");
    row("memory after the first show, MB", { zarvelIcons.uss, zarvelIcons.pss, zarvelIcons.rss });
    row("  with an 8000 x 6000 JPEG and a 20000 x 20000 PNG", { zarvelHuge.uss, zarvelHuge.pss, zarvelHuge.rss },
        zarvelHuge.uss - zarvelIcons.uss, 2, " MB more USS");
    row(QStringLiteral("USS growth over the %1 redraws, MB").arg(redraws), { growth }, growth, 1, " MB");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_XCB_GL_INTEGRATION", "none"); // as Zarvel sets it for itself, for the tool too
    return sandbox::runSandboxed(argc, argv, [](int c, char **v) {
        QApplication app(c, v);
        QGuiApplication::setQuitOnLastWindowClosed(false);
        std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line shows at once
        return run(c > 1 ? std::max(1, QByteArray(v[1]).toInt()) : 30);
    });
}

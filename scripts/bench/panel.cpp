// Times the panel's redraw in process: the real MainWindow, shown on the X
// server in $DISPLAY, redrawn from the buttons.json of the sandbox that the
// bench script wrote (every button a program with its icon). The operating
// system's side is the test fake, so nothing is started and the trigger
// never fires.
//
// A redraw is what the panel does after a change of level or an assignment:
// setButtonsConfiguration (the file read and parsed, every icon looked up,
// every style sheet set), then the window painted and the events that this
// posted handled. Also timed: a repaint of the whole window alone.
//
// Usage: bench-panel [rounds]. Prints lines of "<measure> <median> <worst>"
// in milliseconds, "icons <shown> <buttons>" and
// "rss <MB before> <MB after 100 redraws> <MB after all>".
#include "app/config.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "scripts/bench/benchutil.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

    FakePlatform platform;
    Platform::setInstance(&platform);
    firstArgument = QStringLiteral("-checkupdate");
    auto *window = new MainWindow;
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "bench-panel: the panel was not shown\n");
        return 1;
    }

    auto redraw = [window] { PanelAccess::redraw(*window); };
    for (int i = 0; i < 10; ++i) {
        redraw();
        window->repaint();
        QCoreApplication::processEvents();
    }
    int withIcon = 0;
    for (QPushButton *button : panelButtons)
        withIcon += button->icon().isNull() ? 0 : 1;
    std::printf("icons %d %d\n", withIcon, buttonCount);

    std::vector<double> configuration, paint, events, total;
    const double rssBefore = bench::residentMb();
    double rssAfter = rssBefore;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        redraw();
        const double configured = bench::elapsedMs(clock);
        window->repaint();
        const double painted = bench::elapsedMs(clock);
        QCoreApplication::processEvents();
        const double done = bench::elapsedMs(clock);
        configuration.push_back(configured);
        paint.push_back(painted - configured);
        events.push_back(done - painted);
        total.push_back(done);
        if (i + 1 == 100)
            rssAfter = bench::residentMb();
    }
    bench::printSummary("redraw", total);
    bench::printSummary("configuration", configuration);
    bench::printSummary("paint-after-configuration", paint);
    bench::printSummary("posted-events", events);

    std::vector<double> repaintOnly;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        window->repaint();
        repaintOnly.push_back(bench::elapsedMs(clock));
        QCoreApplication::processEvents();
    }
    bench::printSummary("repaint", repaintOnly);
    const double rssEnd = bench::residentMb();
    std::printf("rss %.1f %.1f %.1f\n", rssBefore, rounds >= 100 ? rssAfter : rssEnd, rssEnd);

    delete window;
    Platform::setInstance(nullptr);
    return 0;
}

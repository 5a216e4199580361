// Times the real panel in process, shown on the X server in $DISPLAY, on
// the real operating system's side (icons looked up as a run looks them up,
// targets really started).
//
//   bench-panel redraw ROUNDS
//       Redraws the panel from the sandbox's buttons.json (written by
//       scripts/bench.sh) ROUNDS times, each one painted and its posted
//       events handled, as after a change of level or of the file. Then
//       gives button 1 a title of 5 MB and times a redraw and its tool tip.
//       Prints "icons <shown> <buttons>", "redraw <median> <worst>",
//       "rss <MB before> <MB after>", "redraw-title <median> <worst>" and
//       "tooltip <ms> <characters shown>".
//
//   bench-panel click ROUNDS LABEL TARGET [LABEL TARGET...]
//       Writes a buttons.json whose slot n holds the n-th TARGET ("folder":
//       a folder with Back in slot 1) and clicks each slot's real button
//       ROUNDS times. Prints "<LABEL> <median> <worst>": how long each click
//       held the panel's thread; a folder also "<LABEL>, Back ...".
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "scripts/bench/benchutil.h"
#include "tests/support/access.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPushButton>
#include <QToolTip>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Milliseconds that `work` and the events it posted keep the thread.
template<typename Work> double timed(Work work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    QCoreApplication::processEvents();
    return bench::elapsedMs(clock);
}

bool shown(MainWindow *window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

int redraws(MainWindow *window, int rounds)
{
    auto redraw = [window] {
        PanelAccess::redraw(*window);
        window->repaint();
    };
    for (int i = 0; i < 10; ++i)
        timed(redraw);
    int withIcon = 0;
    for (QPushButton *button : panelButtons)
        withIcon += button->icon().isNull() ? 0 : 1;
    std::printf("icons %d %d\n", withIcon, buttonCount);

    std::vector<double> times;
    const double rssBefore = bench::residentMb();
    for (int i = 0; i < rounds; ++i)
        times.push_back(timed(redraw));
    bench::printSummary("redraw", times);
    std::printf("rss %.1f %.1f\n", rssBefore, bench::residentMb());

    // Someone pastes a file into a title: neither the redraw nor the hover
    // may freeze the panel.
    QJsonObject root = readButtonsObject(buttonsFilePath());
    QJsonObject first = root.value(buttonKey(1)).toObject();
    first.insert(titleMember, QString(5 * 1024 * 1024, QLatin1Char('x')));
    root.insert(buttonKey(1), first);
    if (!writeButtonsDocument(buttonsFilePath(), root))
        return 1;
    times.clear();
    for (int i = 0; i < 5; ++i)
        times.push_back(timed(redraw));
    bench::printSummary("redraw-title", times);
    QPushButton *button = panelButtons[0];
    const QPoint centre = button->rect().center();
    const double hover = timed([button, centre] {
        QHelpEvent event(QEvent::ToolTip, centre, button->mapToGlobal(centre));
        QApplication::sendEvent(button, &event);
    });
    std::printf("tooltip %.3f %d\n", hover, QToolTip::isVisible() ? int(QToolTip::text().size()) : 0);
    return 0;
}

int clicks(MainWindow *window, int rounds, const std::vector<const char *> &labels, const QStringList &targets)
{
    QJsonObject root;
    for (int n = 1; n <= targets.size(); ++n) {
        QJsonObject button { { pathMember, targets.at(n - 1) }, { titleMember, QString::number(n) } };
        if (targets.at(n - 1) == QLatin1String("folder")) {
            button.insert(pathMember, folderMarker);
            button.insert(folderMember,
                QJsonObject { { buttonKey(1), QJsonObject { { pathMember, folderBackMarker } } },
                    { buttonKey(2), QJsonObject { { pathMember, QStringLiteral("/bin/true") } } } });
        }
        root.insert(buttonKey(n), button);
    }
    if (!writeButtonsDocument(buttonsFilePath(), root))
        return 1;
    PanelAccess::redraw(*window);
    for (int n = 1; n <= targets.size(); ++n) {
        const bool folder = targets.at(n - 1) == QLatin1String("folder");
        std::vector<double> times, back;
        for (int i = 0; i < rounds; ++i) {
            if (!window->isVisible() && !shown(window))
                return 1;
            times.push_back(timed([n] { panelButtons[n - 1]->click(); }));
            if (folder)
                back.push_back(timed([] { panelButtons[0]->click(); }));
            // The started program ends, and gio's end is collected, before
            // the next click.
            QTest::qWait(30);
        }
        bench::printSummary(labels.at(n - 1), times);
        if (folder)
            bench::printSummary((std::string(labels.at(n - 1)) + ", Back").c_str(), back);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool click = argc > 1 && std::strcmp(argv[1], "click") == 0;
    if (argc < 3 || (click && (argc % 2 != 1 || argc < 5 || (argc - 3) / 2 > buttonCount))) {
        std::fprintf(stderr, "usage: see the comment at the top of panel.cpp\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const int rounds = std::max(1, std::atoi(argv[2]));
    firstArgument = QStringLiteral("-checkupdate");
    MainWindow window;
    if (!shown(&window)) {
        std::fprintf(stderr, "bench-panel: the panel was not shown\n");
        return 1;
    }
    if (!click)
        return redraws(&window, rounds);
    std::vector<const char *> labels;
    QStringList targets;
    for (int i = 3; i + 1 < argc; i += 2) {
        labels.push_back(argv[i]);
        targets << QString::fromLocal8Bit(argv[i + 1]);
    }
    return clicks(&window, rounds, labels, targets);
}

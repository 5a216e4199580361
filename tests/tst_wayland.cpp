#include "panel/commands.h"
#include "panel/panelstate.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"
#include "tests/support/xsession.h"

#include <QPushButton>
#include <QtTest>

#include <unistd.h>

// A headless sway (tests/wayland/sway.config), the input client its seat lacks and the real Zarvel, all as one
// unprivileged user when the test runs as root, since sway refuses root. Screenshots tell where the panel is.
class WaylandTest : public QObject {
    Q_OBJECT
    const QString home = sandbox::home();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<QProcess>> processes;
    QProcess *in = nullptr, *zarvel = nullptr; // the input client, the main Zarvel
    QPoint pointer, buttonAt[3]; // the centres of buttons 1 and 2 in the panel
    QSize size;

    QProcess *start(QStringList command)
    {
        QProcess *process = processes.emplace_back(new QProcess).get();
        if (geteuid() == 0)
            command = QStringList { "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--" } + command;
        process->setProcessEnvironment(env);
        process->start(command.takeFirst(), command);
        return process;
    }
    QByteArray run(const QStringList &command)
    {
        QProcess *process = start(command);
        return process->waitForFinished(20000), process->readAllStandardOutput();
    }
    QByteArray toMain(const QByteArray &request) // as the user Zarvel runs as: root has no rights to its socket here
    {
        const uid_t self = geteuid();
        QByteArray answer;
        if (seteuid(self ? self : 65534) == 0)
            answer = sendCommand(request, sandbox::root() + "/runtime/" + commandSocketFile);
        return seteuid(self) == 0 ? answer : QByteArray();
    }
    bool send(QByteArray c) { return in->write(c + '\n'), in->waitForReadyRead(20000) && in->readLine() == "ok\n"; }
    bool move(QPoint to) { return pointer = to, send(QString("move %1 %2 3200 720").arg(to.x()).arg(to.y()).toUtf8()); }
    bool chord(QPoint at) { return move(at) && send("key 56 1 8;button 273 1;button 273 0;key 56 0 0"); }
    bool press(QPoint at) { return move(at) && send("button 272 1;button 272 0"); }
    // Button n of a panel at `at`; the pointer then rests on the panel's title, so that screenshots compare.
    bool click(QPoint at, int n) { return press(at + buttonAt[n]) && move(at + QPoint(2, 2)); }
    // Waits for a screenshot with the panel at `place` (null: hidden), and gives the icon of its button 1 (focus and
    // hover change only the button's edge); the cursor, drawn into the screenshot at the pointer, does not count.
    bool panelAt(const QRect &place, QImage *icon = nullptr)
    {
        return waitFor([&] { return shown(icon) == place; });
    }
    QRect shown(QImage *icon = nullptr) // what one screenshot shows
    {
        const QImage image = QImage::fromData(run({ "grim", "-s", "1", "-" }));
        QRect at = image.size() == QSize(3200, 720) ? QRect() : QRect(-1, -1, 1, 1);
        for (int y = 0; at.x() >= 0 && y < image.height(); ++y) // the cursor and beyond the outputs do not count
            for (int x = 0; x < image.width(); ++x)
                if (qAbs(qGray(image.pixel(x, y)) - qGray(image.pixel(1279, 719))) > 16 && (x < 2560 || y < 360)
                    && !QRect(pointer - QPoint(8, 8), QSize(40, 40)).contains(x, y))
                    at |= QRect(x, y, 1, 1);
        return (icon ? *icon = image.copy(QRect(at.topLeft() + buttonAt[1], QSize(8, 8))) : QImage()), at;
    }

private slots:
    void initTestCase()
    {
        {
            FakePlatform platform; // where the buttons are: the panel's own layout, as this build makes it
            TestPanel panel(&platform);
            panel.window->show();
            size = panel.window->size();
            for (int n : { 1, 2 })
                buttonAt[n] = panelButtons[n - 1]->mapTo(panel.window, panelButtons[n - 1]->rect().center());
        }
        // What the panel starts gets the environment the main Zarvel was given, not the host's own choices.
        const QString program = sandbox::writeProgram(home + "/program",
            "#!/bin/sh\necho launched$QT_QPA_PLATFORM$QT_WAYLAND_DISABLE_WINDOWDECORATION >>$HOME/record\n");
        QVERIFY(sandbox::writeFile(home + "/.local/share/Zarvel/buttons.json",
            "{\"Button01\":{\"path\":\"/missing\",\"title\":\"Missing program\"},"
            "\"Button02\":{\"path\":\"Folder\",\"folder\":"
            "{\"Button02\":{\"path\":\""
                + program.toUtf8() + "\"}}}}"));
        if (geteuid() == 0) // the session's user owns the sandbox, and the test still reads what it writes
            QProcess::execute("sh", { "-c", "chown -R 65534 $0; chmod -R a+rX $0; chmod 700 $0/r*", sandbox::root() });
        start({ "env", "-u", "WAYLAND_DISPLAY", "ZARVEL_BINARY=" ZARVEL_BINARY, "WLR_BACKENDS=headless",
            "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "sway", "-c",
            ZARVEL_SOURCE_DIR "/tests/wayland/sway.config" });
        if (!waitFor([&] { return sandbox::readFile(home + "/display") != ""; }))
            QSKIP("sway cannot start here.");
        env.insert("WAYLAND_DISPLAY", sandbox::readFile(home + "/display").trimmed());
        // A session bus whose accessibility bus has a screen reader on before Zarvel starts, as at a login with
        // one: Qt reads ScreenReaderEnabled once, when its accessibility starts. tree.py finds the bus as the host
        // does, through the session bus, and starts the registry before the host meets it.
        env.remove("DISPLAY");
        QProcess *bus = start(
            { "dbus-daemon", "--session", "--nofork", "--print-address=1", "--address=unix:dir=" + sandbox::root() });
        QVERIFY(waitFor([bus] { return bus->canReadLine(); }));
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus->readLine().trimmed());
        QCOMPARE(
            run({ "gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus", "--method",
                "org.freedesktop.DBus.Properties.Set", "org.a11y.Status", "ScreenReaderEnabled", "<true>" }),
            QByteArray("()\n"));
        QVERIFY(run({ "/usr/bin/python3", ZARVEL_SOURCE_DIR "/tests/a11y/tree.py", "0" }).contains("no application"));
        in = start({ ZARVEL_VIRTUAL_INPUT });
        // As in a session without XWayland, and on the platform Zarvel chooses itself.
        zarvel = start({ "env", "-u", "DISPLAY", "-u", "QT_QPA_PLATFORM", ZARVEL_BINARY, "-checkupdate" });
        QVERIFY(waitFor([&] { return run({ "ls", sandbox::root() + "/runtime" }).contains("zarvel.socket.panel"); }));
        QVERIFY(waitFor([&] { return toMain(pingRequest) == pingAnswer; })); // the host may listen before Zarvel does
    }
    void cleanupTestCase()
    {
        for (auto &process : processes) // sway first: what it holds goes with it
            process->terminate(), process->waitForFinished(10000);
    }
    void screenReaderHearsThePanel()
    {
        QVERIFY(chord({ 300, 200 }) && panelAt(QRect(QPoint(300, 200), size)));
        const QString host = run({ "pgrep", "-P", QString::number(zarvel->processId()), "-f", "panel-host" });
        QByteArray tree;
        const bool heard = waitFor([&] {
            tree = run({ "/usr/bin/python3", ZARVEL_SOURCE_DIR "/tests/a11y/tree.py", host.trimmed() });
            return tree.contains("push button\tMissing program\t") && tree.contains("push button\tSettings\t");
        });
        QVERIFY2(heard, tree.constData());
        QVERIFY(send("key 1 1 0;key 1 0 0") && panelAt(QRect()));
    }
    void placementAndHiding_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<QPoint>("pressAt"); // to hide the panel: a press there, or Escape when null
        QTest::addColumn<QPoint>("shownAt"); // where a chord showed it before, over whose overlay this one comes
        const int w = size.width(), h = size.height();
        QTest::newRow("mid-output") << QPoint(400, 300) << QPoint(400, 300) << QPoint(900, 600) << QPoint();
        QTest::newRow("right edge") << QPoint(1275, 300) << QPoint(1280 - w, 300) << QPoint() << QPoint();
        QTest::newRow("bottom edge") << QPoint(400, 715) << QPoint(400, 720 - h) << QPoint(1000, 100) << QPoint();
        QTest::newRow("second output") << QPoint(1700, 200) << QPoint(1700, 200) << QPoint() << QPoint();
        QTest::newRow("scale 2") << QPoint(2600, 5) << QPoint(2600, 5) << QPoint(100, 100) << QPoint();
        QTest::newRow("scale 2, bottom right")
            << QPoint(3195, 355) << QPoint(3200 - w, 360 - h) << QPoint() << QPoint();
        QTest::newRow("chord over the overlay") << QPoint(700, 300) << QPoint(700, 300) << QPoint() << QPoint(200, 100);
        QTest::newRow("chord over another output's")
            << QPoint(1700, 200) << QPoint(1700, 200) << QPoint() << QPoint(400, 300);
    }
    void placementAndHiding()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, topLeft);
        QFETCH(QPoint, pressAt);
        QFETCH(QPoint, shownAt);
        QVERIFY(shownAt.isNull() || (chord(shownAt) && panelAt(QRect(shownAt, size))));
        QVERIFY(chord(pointer) && panelAt(QRect(topLeft, size)));
        QVERIFY(pressAt.isNull() ? send("key 1 1 0;key 1 0 0") : press(pressAt));
        QVERIFY(panelAt(QRect()));
    }
    void launchFailureIsToldAndLeavesNoHover() // the host tells the main Zarvel; the panel went without a pointer leave
    {
        const QRect panel(QPoint(300, 200), size);
        QImage before, after;
        QByteArray errors;
        QVERIFY(chord(panel.topLeft()) && panelAt(panel, &before) && click(panel.topLeft(), 1));
        QVERIFY(waitFor(
            [&] { return (errors += zarvel->readAllStandardError()).contains("missing could not be started"); }));
        QVERIFY(chord(panel.topLeft()) && panelAt(panel, &after) && after == before);
        QVERIFY(send("key 1 1 0;key 1 0 0") && panelAt(QRect()));
    }
    void hostComesBack_data()
    {
        QTest::addColumn<bool>("givenUp");
        QTest::newRow("killed once: back by itself") << false;
        QTest::newRow("killed until given up: back with the next chord") << true;
    }
    void hostComesBack()
    {
        QFETCH(bool, givenUp);
        const QStringList host = { "-KILL", "-P", QString::number(zarvel->processId()), "-f", "panel-host" };
        QByteArray errors;
        QVERIFY(waitFor([&] {
            const bool killed = QProcess::execute("pkill", host) == 0;
            return givenUp ? (errors += zarvel->readAllStandardError()).contains("keeps stopping") : killed;
        }));
        QVERIFY(givenUp ? chord({ 500, 300 })
                        : move({ 500, 300 }) && waitFor([&] { return toMain(showRequest) == shownAnswer; }));
        QVERIFY(panelAt(QRect(QPoint(500, 300), size)) && send("key 1 1 0;key 1 0 0") && panelAt(QRect()));
    }
    void hoverShowsTheTitleBesideTheButton()
    {
        const QRect panel(QPoint(300, 200), size);
        QVERIFY(chord(panel.topLeft()) && panelAt(panel) && move(panel.topLeft() + buttonAt[1]));
        QVERIFY(waitFor([&] { // the title "Missing program" right of the panel, level with button 1
            const QRect lit = shown();
            return lit.topLeft() == panel.topLeft() && lit.right() > panel.right() + 60
                && lit.bottom() == panel.bottom();
        }));
        QVERIFY(send("key 1 1 0;key 1 0 0") && panelAt(QRect()));
    }
    void opensFolderGoesBackAndLaunches()
    {
        const QRect panel(QPoint(300, 200), size);
        QImage top, icon;
        QVERIFY(chord(panel.topLeft()) && panelAt(panel, &top));
        QVERIFY(click(panel.topLeft(), 2) && waitFor([&] { return panelAt(panel, &icon) && icon != top; }));
        QVERIFY(click(panel.topLeft(), 1) && waitFor([&] { return panelAt(panel, &icon) && icon == top; }));
        QVERIFY(click(panel.topLeft(), 2) && click(panel.topLeft(), 2));
        QVERIFY(waitFor([&] { return sandbox::readFile(home + "/record") == "launched\n"; }));
        QVERIFY(panelAt(QRect()));
    }
    // The keys reach the panel while it shows, and never while it is hidden. From the folder the last test left shown:
    // Backspace to the top, into the folder by an arrow and Enter, out by Escape; hidden, a Backspace that would leave
    // it; shown again, "p" finds the program by its file's name (it has no title) from Back, and Enter starts it.
    void keys()
    {
        const QRect panel(QPoint(300, 200), size);
        const QByteArray launched = sandbox::readFile(home + "/record") + "launched\n";
        QVERIFY(chord(panel.topLeft()) && panelAt(panel));
        QVERIFY(send("key 14 1 0;key 14 0 0;key 106 1 0;key 106 0 0;key 28 1 0;key 28 0 0;key 1 1 0;key 1 0 0"));
        QVERIFY(panelAt(QRect()) && send("key 14 1 0;key 14 0 0"));
        QVERIFY(chord(panel.topLeft()) && panelAt(panel) && send("key 25 1 0;key 25 0 0;key 28 1 0;key 28 0 0"));
        QVERIFY(waitFor([&] { return sandbox::readFile(home + "/record") == launched; }) && panelAt(QRect()));
    }
    // The settings hide the panel; Escape after an edit there asks first, and Return saves.
    void settingsHideThePanelAndAskBeforeEscapeDropsAnEdit()
    {
        QVERIFY(chord({ 300, 200 }) && panelAt(QRect(QPoint(300, 200), size)));
        QVERIFY(toMain(settingsRequest) == acceptedAnswer && panelAt(QRect()));
        QCOMPARE(toMain(showRequest), QByteArray("a Zarvel dialog is open."));
        const auto focused = [&](const QByteArray &title) { // the focused window's title, as sway tells it
            const QString tree
                = "swaymsg -s $XDG_RUNTIME_DIR/sway-ipc.*.sock -t get_tree | jq -r '..|select(.focused?)|.name'";
            return waitFor([&] { return run({ "sh", "-c", tree }).trimmed() == title; });
        };
        QVERIFY(focused("Settings - Zarvel " + configValue("type").toString().toUtf8()));
        QVERIFY(send("key 44 1 0;key 44 0 0;key 16 1 0;key 16 0 0;key 1 1 0;key 1 0 0")
            && focused("Unsaved Changes - Zarvel"));
        QVERIFY(send("key 28 1 0;key 28 0 0"));
        QVERIFY(waitFor([&] { return sandbox::readFile(home + "/.local/share/Zarvel/buttons.json").contains("zq"); }));
    }
};

ZARVEL_TEST_MAIN(WaylandTest)
#include "tst_wayland.moc"

#include "buttons/buttonsfile.h"
#include "panel/panelstate.h"
#include "platform/x11input.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"
#include "tests/support/xsession.h"

#include <QPushButton>
#include <QtTest>

class TestDesktop : public QObject {
    Q_OBJECT

    XSession x;
    QString recorder, record = sandbox::home() + "/launched";
    QStringList running; // the settings of the Zarvel running
    FakePlatform platform;
    TestPanel layout { &platform }; // the same panel, never shown: where its buttons sit

    bool chordOpens(QPoint pointer, QPoint at, int slack = 0) // placed `slack` px off at most
    {
        x.chord(pointer);
        return waitFor([&] {
            for (int off = 0; off < 9; ++off)
                if (x.placedAt(at + QPoint(off % 3 - 1, off / 3 - 1) * slack))
                    return x.panelShown() && x.focusWindow() == x.panel;
            return false;
        });
    }
    void clickButton(int n) // on a panel shown at (300,200)
    {
        x.click(QPoint(300, 200) + panelButtons[n - 1]->mapTo(layout.window, panelButtons[n - 1]->rect().center()));
    }
    // Clicked in turn, then `keys` typed in turn, every second group with the panel hidden by the group before and the
    // next after a chord: what they started, once it hid.
    QStringList launchedBy(std::initializer_list<int> buttons, const QStringList &keys = {})
    {
        chordOpens({ 300, 200 }, { 300, 200 });
        for (int n : buttons)
            clickButton(n);
        for (int i = 0; i < keys.size(); ++i) {
            if (i % 2)
                waitFor([this] { return !x.panelShown(); });
            else if (i > 0)
                chordOpens({ 300, 200 }, { 300, 200 });
            x.xdotool("key " + keys[i]);
        }
        const bool done = waitFor([this] { return QFile::exists(record) && !x.panelShown(); });
        return done ? sandbox::takeRecord(record) : QStringList();
    }

    QString sessionBus; // "DBUS_SESSION_BUS_ADDRESS=..." of a bus with a desktop's accessibility bus, once started
    bool startAccessibilityBus()
    {
        if (!sessionBus.isEmpty())
            return true;
        QProcess *bus = x.launch(
            "dbus-daemon", { "--session", "--nofork", "--print-address=1", "--address=unix:dir=" + sandbox::root() });
        if (!waitFor([bus] { return bus->canReadLine(); }))
            return false;
        sessionBus = "DBUS_SESSION_BUS_ADDRESS=" + QString::fromLatin1(bus->readLine().trimmed());
        // It puts the accessibility bus's address on the screen, where Qt looks first.
        x.launch("env", { sessionBus, "/usr/libexec/at-spi-bus-launcher", "--launch-immediately" });
        return waitFor([this] { return x.run("xprop", { "-root", "AT_SPI_BUS" }).contains("unix:"); });
    }

    bool runZarvel(const QStringList &settings)
    {
        return std::exchange(running, settings) == settings || x.startZarvel(settings);
    }

private slots:
    void initTestCase()
    {
        recorder = sandbox::writeProgram(sandbox::home() + "/bin/launch me.sh",
            "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" >\"$HOME/.r$$\" && mv \"$HOME/.r$$\" \"$HOME/launched\"\n");
        // Button 1 starts the recorder, and so does button 2 of the folder "Local tools" on button 2.
        auto button = [](const QString &path) { return QJsonObject { { pathMember, path } }; };
        QJsonObject folder = button(folderMarker);
        folder[titleMember] = "Local tools";
        folder[folderMember] = QJsonObject { { buttonKey(2), button('"' + recorder + "\" --in \"the folder\"") } };
        QVERIFY(writeButtonsDocument(
            buttonsFilePath(), { { buttonKey(1), button('"' + recorder + "\" top") }, { buttonKey(2), folder } }));
        layout.window->grab(); // lays the hidden panel out, with no window on any screen
        QVERIFY2(x.start() && x.startZarvel() && x.startClient(), qPrintable(x.error));
    }

    void init()
    {
        x.click(QPoint(880, 680)); // on the client window, under no panel opened here
        QVERIFY(waitFor([this] { return !x.panelShown(); }));
    }

    // Presses without Alt are consumed by the ticks or events that see them (the chords prove Zarvel looked).
    void rightClicksWithoutAltOpenNothing_data()
    {
        QTest::addColumn<QStringList>("zarvel");
        QTest::newRow("polling") << QStringList();
        QTest::newRow("no poll") << QStringList { "--no-poll" };
    }
    void rightClicksWithoutAltOpenNothing()
    {
        QFETCH(QStringList, zarvel);
        QVERIFY2(runZarvel(zarvel), qPrintable(x.error));
        x.click(QPoint(210, 310), 3);
        QVERIFY(chordOpens(QPoint(220, 320), QPoint(220, 320)));
        x.click(QPoint(640, 520), 3);
        QVERIFY(waitFor([this] { return !x.panelShown() && x.focusWindow() == x.client; }));
        x.xdotool("keydown alt");
        QVERIFY(chordOpens(QPoint(230, 330), QPoint(230, 330)));
        QVERIFY(!x.placedAt(QPoint(210, 310)) && !x.placedAt(QPoint(640, 520)));
    }

    void buttonsStartProgramsAndOpenFolders()
    {
        QCOMPARE(launchedBy({ 1 }), (QStringList { recorder, "top" }));
        QCOMPARE(launchedBy({ 2, 2 }), (QStringList { recorder, "--in", "the folder" }));
        QCOMPARE(launchedBy({ 1, 1 }), (QStringList { recorder, "top" })); // it reopens in the folder: Back first
    }

    // The panel shows with the keyboard's focus on button 1, and only then takes keys.
    void keysStartProgramsAndOpenFolders_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("launched");
        const QStringList top { recorder, "top" }, inFolder { recorder, "--in", "the folder" };
        QTest::newRow("arrows and Enter") << QStringList { "Right Return Left Right Return" } << inFolder;
        QTest::newRow("Backspace and Space") << QStringList { "BackSpace space" } << top; // it reopens in the folder
        QTest::newRow("digits") << QStringList { "2 2" } << inFolder;
        // "la" passes "Local tools" for the recorder, "launch me.sh" by its file's name.
        QTest::newRow("a title typed") << QStringList { "BackSpace l a Return" } << top;
        QTest::newRow("a letter again") << QStringList { "l l Return" } << top;
        QTest::newRow("Escape, and none while hidden") << QStringList { "2 Escape", "BackSpace", "2" } << inFolder;
    }
    void keysStartProgramsAndOpenFolders()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, launched);
        QCOMPARE(launchedBy({}, keys), launched);
    }

    // The editor, opened from the panel, asks before Escape throws an edit away: Escape there keeps editing, Return
    // saves.
    void editorAsksBeforeEscapeDropsAnEdit()
    {
        chordOpens({ 300, 200 }, { 300, 200 });
        const QPushButton *settings = layout.window->findChild<QPushButton *>("pushButton_settings");
        x.click(QPoint(300, 200) + settings->mapTo(layout.window, settings->rect().center()));
        const auto focused = [&](const QString &title) { // spaces as "." in xdotool's words
            return waitFor([&] { return x.focusWindow() == x.xdotool("search --onlyvisible --name ^" + title + '$'); });
        };
        QVERIFY(focused("Settings.-.Zarvel." + configValue("type").toString()));
        x.xdotool("type zq");
        x.xdotool("key Escape");
        QVERIFY(focused("Unsaved.Changes.-.Zarvel"));
        x.xdotool("key Return");
        QVERIFY(waitFor([&] { return sandbox::readFile(buttonsFilePath()).contains("zq"); }));
    }

    // Zarvel --show opens the panel where the chord would (tst_app: one Zarvel a user, and the socket's faults).
    void showCommand()
    {
        QVERIFY(waitFor([this] { return x.trayIcons() == 1; })); // with the panel hidden: it is a client of XEmbed too
        x.run("sh", { "-c", "xdotool mousemove 400 300 && '" ZARVEL_BINARY "' --show" });
        QVERIFY(waitFor([this] { return x.placedAt(QPoint(400, 300)) && x.panelShown(); }));
    }

    // The tray works while a dialog is open, and a right click made meanwhile is gone once it closes, also when Alt,
    // still held from the Alt+F4 that closed it, makes it look like a chord.
    void trayAndChordWhileADialogIsOpen()
    {
        QVERIFY2(runZarvel({}), qPrintable(x.error));
        const QString about = "search --onlyvisible --name ^Zarvel." + configValue("type").toString() + '$';
        const QString windows = "for w in $(xdotool search --onlyvisible --classname ^Zarvel$); do xprop -id $w; done";
        const auto shown = [&] { return x.run("sh", { "-c", windows }); }; // the properties of Zarvel's windows shown
        int clicks = 0; // on trayer's only icon, 12 px apart: Qt takes a second click near the first for a double click
        const auto trayEntry = [&](const QString &keys) { // a right click on the icon, then the menu's keys
            x.click(QPoint(++clicks % 2 ? 6 : 18, 12), 3);
            const bool opened = waitFor([&] { return shown().contains("POPUP_MENU"); });
            x.xdotool("key " + keys);
            return opened && waitFor([&] { return !shown().contains("POPUP_MENU"); });
        };
        QVERIFY(trayEntry("Up Up Return") && waitFor([&] { return x.focusWindow() == x.xdotool(about); })); // About
        x.click(QPoint(300, 700), 3);
        x.xdotool("keydown alt key F4");
        QVERIFY(waitFor([&] { return x.xdotool(about).isEmpty(); }));
        QVERIFY(chordOpens(QPoint(700, 300), QPoint(700, 300)) && !x.placedAt(QPoint(300, 700)));
        QVERIFY(trayEntry("Up Up Return") && waitFor([&] { return x.focusWindow() == x.xdotool(about); }));
        QVERIFY(trayEntry("Up Return") && waitFor([&] { return shown().isEmpty(); })); // Close quits
        running = QStringList { "quit" };
    }

    // Alt let go where no X client hears it (a native window under XWayland): the raw release never comes, and the
    // server's key map must overrule it, or every right-click would open the panel.
    void lostAltReleaseMakesNoChord()
    {
        X11Input input;
        QVERIFY(input.open());
        for (int keycode = 8; keycode < 256; ++keycode)
            input.replay(X11Input::RawEvent::KeyDown, keycode);
        input.replay(X11Input::RawEvent::ButtonDown, 3);
        bool altAtPress = true;
        QVERIFY(input.takeRightButtonPressed(&altAtPress) && !altAtPress && !input.altDown());
    }

    // What a screen reader hears of the panel, read over the accessibility bus as one reads it (tests/a11y/tree.py
    // prints the tree: role, name and description): each button's title, else its target's name, else its slot.
    void screenReaderHearsThePanel_data()
    {
        QTest::addColumn<QJsonObject>("buttons");
        QTest::addColumn<int>("click"); // the button clicked before listening, 0 for none
        // The grid's push buttons: name, tab, description; button 1 has the focus.
        QTest::addColumn<QStringList>("heard");
        const QString program = '"' + recorder + "\" top";
        QJsonObject folder { { pathMember, folderMarker }, { titleMember, "Tools" } };
        folder[folderMember]
            = QJsonObject { { buttonKey(2), QJsonObject { { pathMember, QString(program + " \"a b\"") } } } };
        const QJsonObject titled { { buttonKey(1), QJsonObject { { pathMember, program }, { titleMember, "Rec" } } },
            { buttonKey(2), folder } };
        QTest::newRow("target names, an empty slot") << QJsonObject {
            { buttonKey(1), QJsonObject { { pathMember, program } } }, { buttonKey(2), QJsonObject() }
        } << 0 << QStringList { "launch me.sh\t" + recorder + " top\tfocused\n", "Empty button 2\t" };
        QTest::newRow("titles, a folder")
            << titled << 0 << QStringList { "Rec\t" + recorder + " top\tfocused\n", "Tools\tFolder: Tools\n" };
        QTest::newRow("in the folder") << titled << 2
                                       << QStringList { "Back\tBack out of this folder\tfocused\n",
                                              "launch me.sh\t" + recorder + " top a b\n" };
    }
    void screenReaderHearsThePanel()
    {
        QFETCH(QJsonObject, buttons);
        QFETCH(int, click);
        QFETCH(QStringList, heard);
        QVERIFY2(startAccessibilityBus() && runZarvel({ sessionBus }), qPrintable(x.error));
        QVERIFY(writeButtonsDocument(buttonsFilePath(), buttons));
        QVERIFY(chordOpens({ 300, 200 }, { 300, 200 }));
        if (click)
            clickButton(click);
        heard.replaceInStrings(QRegularExpression("^"), "push button\t");
        heard += QStringList { "frame\tZarvel\t", "label\tZarvel\t", "push button\tSettings\t" };
        QString tree;
        QVERIFY2(waitFor([&] {
            tree = x.run("env",
                       { sessionBus, "/usr/bin/python3", ZARVEL_SOURCE_DIR "/tests/a11y/tree.py",
                           QString::number(x.zarvelPid()) })
                + '\n';
            return std::all_of(heard.begin(), heard.end(), [&](const QString &line) { return tree.contains(line); });
        }),
            qPrintable(tree));
    }

    // Last, as it leaves Zarvel scaled: the pointer comes in device pixels, the panel is placed in logical ones (1 px
    // off at most). The client window lies under openbox's Alt grab.
    void chordOpensThePanelAtThePointerInsideTheScreen_data()
    {
        QTest::addColumn<QStringList>("zarvel");
        QTest::addColumn<QPoint>("pointer");
        const std::pair<const char *, QPoint> rows[] { { "desktop", { 200, 300 } }, { "client window", { 650, 550 } },
            { "right edge", { 1279, 400 } }, { "bottom edge", { 300, 1023 } }, { "corner", { 1270, 1015 } } };
        for (const QStringList &zarvel :
            { QStringList { "--no-poll" }, {}, { "QT_SCALE_FACTOR=2" }, { "QT_SCALE_FACTOR=1.5" } })
            for (const auto &[name, pointer] : rows)
                QTest::addRow("%s, %s", name, qPrintable(zarvel.join(' '))) << zarvel << pointer;
    }
    void chordOpensThePanelAtThePointerInsideTheScreen()
    {
        QFETCH(QStringList, zarvel);
        QFETCH(QPoint, pointer);
        QVERIFY2(runZarvel(zarvel), qPrintable(x.error));
        const double scale = zarvel.filter("QT_SCALE_FACTOR=").value(0, "=1").section('=', 1).toDouble();
        const QSize device = layout.window->size() * scale;
        const QPoint expected(qMin(pointer.x(), 1280 - device.width()), qMin(pointer.y(), 1024 - device.height()));
        QVERIFY(chordOpens(pointer, expected, scale != 1));
    }
};

ZARVEL_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"

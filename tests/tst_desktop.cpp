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
    QString client, recorder;
    FakePlatform platform;
    TestPanel layout { &platform }; // the same panel, never shown: where its buttons sit

    bool chordOpens(QPoint pointer, QPoint at)
    {
        x.chord(pointer);
        return waitFor([&] { return x.placedAt(at) && x.isViewable(x.panel) && x.activeWindow() == x.panel; });
    }
    // Opens the panel and clicks `buttons` in turn; what they started, once the panel went.
    QStringList launchedBy(std::initializer_list<int> buttons, QPoint at = { 300, 200 })
    {
        const QString record = sandbox::home() + "/launched";
        chordOpens(at, at);
        for (int n : buttons)
            x.click(at + panelButtons[n - 1]->mapTo(layout.window, panelButtons[n - 1]->rect().center()));
        const bool done = waitFor([&] { return QFile::exists(record) && !x.isViewable(x.panel); });
        return done ? sandbox::takeRecord(record) : QStringList();
    }

private slots:
    void initTestCase()
    {
        recorder = sandbox::writeProgram(sandbox::home() + "/bin/launch me.sh",
            "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" >\"$HOME/.r$$\" && mv \"$HOME/.r$$\" \"$HOME/launched\"\n");
        // Button 1 starts the recorder, and so does button 2 of the folder on button 2.
        auto button = [](const QString &path) { return QJsonObject { { pathMember, path } }; };
        const QString r = '"' + recorder + '"';
        QJsonObject folder = button(folderMarker);
        folder[folderMember] = QJsonObject { { buttonKey(2), button(r + " --in \"the folder\"") } };
        QVERIFY(writeButtonsDocument(
            buttonsFilePath(), { { buttonKey(1), button(r + " top") }, { buttonKey(2), folder } }));
        layout.window->grab(); // lays the hidden panel out, with no window on any screen
        QVERIFY2(x.start() && x.startZarvel(), qPrintable(x.error));
        QVERIFY(!(client = x.startClient(QRect(600, 500, 300, 200))).isEmpty());
    }

    void init()
    {
        x.click(QPoint(880, 680)); // on the client window, under no panel opened here
        QVERIFY(waitFor([this] { return !x.isViewable(x.panel); }));
    }

    void chordOpensThePanelAtThePointerInsideTheScreen_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("expected");
        const int right = 1280 - layout.window->width(), bottom = 1024 - layout.window->height();
        QTest::newRow("desktop") << QPoint(200, 300) << QPoint(200, 300);
        QTest::newRow("client window, under openbox's Alt grab") << QPoint(650, 550) << QPoint(650, 550);
        QTest::newRow("right edge") << QPoint(1279, 400) << QPoint(right, 400);
        QTest::newRow("bottom edge") << QPoint(300, 1023) << QPoint(300, bottom);
        QTest::newRow("bottom right corner") << QPoint(1270, 1015) << QPoint(right, bottom);
    }
    void chordOpensThePanelAtThePointerInsideTheScreen()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, expected);
        QVERIFY(chordOpens(pointer, expected));
    }

    // Presses without Alt are consumed by the ticks that see them (the chords prove Zarvel looked).
    void rightClicksWithoutAltOpenNothing()
    {
        x.click(QPoint(210, 310), 3);
        QVERIFY(chordOpens(QPoint(220, 320), QPoint(220, 320)));
        x.click(QPoint(640, 520), 3);
        QVERIFY(waitFor([this] { return !x.isViewable(x.panel) && x.activeWindow() == client; }));
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

    // Zarvel --show opens the panel where the chord would; a second start
    // leaves the one running alone.
    void showCommandAndOneZarvel()
    {
        x.xdotool("mousemove 400 300");
        x.run(ZARVEL_BINARY, { "--show" });
        QVERIFY(waitFor([this] { return x.placedAt(QPoint(400, 300)) && x.isViewable(x.panel); }));
        init();
        QVERIFY(x.run("sh", { "-c", "'" ZARVEL_BINARY "' -checkupdate 2>&1; echo exit $?" })
                    .endsWith("runs; Zarvel --show opens its panel.\nexit 1"));
        QVERIFY(waitFor([this] { return x.trayIcons() == 1; }));
    }

    // Alt let go where no X client hears it (a native window under
    // XWayland): the raw release never comes, and the server's key map must
    // overrule it, or every right-click would open the panel.
    void lostAltReleaseMakesNoChord()
    {
        X11Input input;
        QVERIFY(input.open());
        for (int keycode = 8; keycode < 256; ++keycode)
            input.replay(X11Input::RawEvent::KeyDown, keycode);
        input.replay(X11Input::RawEvent::ButtonDown, 3);
        bool altAtPress = true;
        QVERIFY(input.takeRightButtonPressed(&altAtPress));
        QVERIFY(!altAtPress && !input.altDown());
    }

    // On scaled screens the pointer comes in device pixels and the panel is
    // placed in logical ones: its corner lands on the pointer (1 px off at
    // most at 1.5), kept inside the screen near its edges.
    void scaledScreens_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::newRow("2") << "2";
        QTest::newRow("1.5") << "1.5";
    }
    void scaledScreens()
    {
        QFETCH(QString, scale);
        QVERIFY2(x.startZarvel(scale), qPrintable(x.error));
        const QSize device = layout.window->size() * scale.toDouble();
        for (const QPoint pointer : { QPoint(401, 301), QPoint(1279, 1023) }) {
            const QPoint expected(qMin(pointer.x(), 1280 - device.width()), qMin(pointer.y(), 1024 - device.height()));
            x.chord(pointer);
            QVERIFY(waitFor([&] {
                for (const QPoint off : { QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1), QPoint(-1, 0),
                         QPoint(0, -1), QPoint(-1, -1), QPoint(1, -1), QPoint(-1, 1) })
                    if (x.placedAt(expected + off))
                        return x.isViewable(x.panel);
                return false;
            }));
            init();
        }
    }
};

ZARVEL_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"

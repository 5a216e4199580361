// The real program on a real X server: the Alt + right-click chord, focus,
// hiding, and the tray icon's menu, driven by injected input.
#include "tests/support/sandbox.h"
#include "tests/support/xsession.h"

#include <QApplication>
#include <QtTest>

class TestChord : public QObject
{
    Q_OBJECT

private:
    XSession x;
    XSession::WindowId client = 0;
    QElapsedTimer lastTrayClick;
    const QRect clientArea{600, 500, 300, 200};

    // Somewhere on the client window that is not under a panel opened at
    // any of the pointers used below.
    QPoint clientSpot() const { return clientArea.bottomRight() - QPoint(20, 20); }

    void hidePanel()
    {
        if (!x.isPanelShown())
            return;
        x.click(clientSpot());
        QVERIFY(XSession::waitFor([this] { return !x.isPanelShown(); }));
    }

    // Opens the tray icon's menu with a real right click and picks an entry
    // with the keyboard, as the menu grabs it.
    void pickFromTrayMenu(const QString &keys)
    {
        const XSession::WindowId icon = x.trayIconWindow();
        QVERIFY(icon != 0);
        // Two presses on the icon within the double-click interval make a
        // double click, which opens no menu; a user's next visit to the menu
        // comes later than a test's.
        if (lastTrayClick.isValid())
            XSession::settle(std::max<qint64>(0, 2 * QApplication::doubleClickInterval() - lastTrayClick.elapsed()));
        x.click(x.geometry(icon).center(), 3);
        lastTrayClick.start();
        QVERIFY(XSession::waitFor([this] { return x.menuWindow() != 0; }));
        x.key(keys);
        QVERIFY(XSession::waitFor([this] { return x.menuWindow() == 0; }));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(x.start(), qPrintable(x.errorString()));
        QVERIFY2(x.startZarvel(), qPrintable(x.errorString()));
        // The tray appears after the icon was shown.
        QVERIFY2(x.startTray(), qPrintable(x.errorString()));
        client = x.startClientWindow(clientArea);
        QVERIFY(client != 0);
    }

    void init()
    {
        QVERIFY(x.zarvelRunning());
        hidePanel();
    }

    void startsHiddenWithItsIconInTheTrayAndAnAutostartEntry()
    {
        const QString entry = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/")
            + QFileInfo(QStringLiteral(ZARVEL_BINARY)).completeBaseName() + QStringLiteral(".desktop");
        QVERIFY2(sandbox::readFile(entry).contains("\nExec=" ZARVEL_BINARY "\n"), qPrintable(entry));

        QVERIFY(!x.isPanelShown());
        QVERIFY(XSession::waitFor([this] { return x.trayIconWindow() != 0; }));
        const QRect icon = x.geometry(x.trayIconWindow());
        QVERIFY2(QRect(0, 0, 100, 32).contains(icon), qPrintable(QStringLiteral("icon at %1,%2 %3x%4")
                                                                     .arg(icon.x())
                                                                     .arg(icon.y())
                                                                     .arg(icon.width())
                                                                     .arg(icon.height())));
    }

    void chordShowsThePanelAtThePointer_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QPoint>("expected"); // (-1, -1): the bottom right limit
        QTest::newRow("desktop") << QPoint(200, 300) << QPoint(200, 300);
        QTest::newRow("client window under the window manager's Alt binding")
            << QPoint(650, 550) << QPoint(650, 550);
        QTest::newRow("bottom right corner") << QPoint(1270, 1015) << QPoint(-1, -1);
        QTest::newRow("beside the tray's reserved strip") << QPoint(150, 5) << QPoint(150, 32);
    }

    void chordShowsThePanelAtThePointer()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QPoint, expected);
        x.chord(pointer);
        QVERIFY(XSession::waitFor([this] { return x.isPanelShown(); }));
        const QRect panel = x.geometry(x.panelWindow());
        if (expected == QPoint(-1, -1))
            expected = QPoint(1280 - panel.width(), 1024 - panel.height());
        QCOMPARE(panel.topLeft(), expected);
        QVERIFY(XSession::waitFor([this] { return x.activeWindow() == x.panelWindow(); }));
    }

    void rightClickWithoutAltThenAltShowsNothing()
    {
        x.click(QPoint(300, 300), 3);
        XSession::settle();
        x.xdotool({QStringLiteral("keydown"), QStringLiteral("alt")});
        XSession::settle();
        const bool shown = x.isPanelShown();
        x.xdotool({QStringLiteral("keyup"), QStringLiteral("alt")});
        QVERIFY(!shown);
    }

    void clickingAnotherWindowHidesThePanel()
    {
        x.chord(QPoint(200, 200));
        QVERIFY(XSession::waitFor([this] { return x.activeWindow() == x.panelWindow(); }));
        x.click(clientSpot());
        QVERIFY(XSession::waitFor([this] { return !x.isPanelShown(); }));
        QCOMPARE(x.activeWindow(), client);
    }

    void trayMenuShowWindowShowsThePanelWhereItWas()
    {
        x.chord(QPoint(400, 250));
        QVERIFY(XSession::waitFor([this] { return x.isPanelShown(); }));
        hidePanel();
        pickFromTrayMenu(QStringLiteral("Down Return")); // "Show Window"
        QVERIFY(XSession::waitFor([this] { return x.isPanelShown(); }));
        QCOMPARE(x.geometry(x.panelWindow()).topLeft(), QPoint(400, 250));
    }

    void disabledTriggerShowsNothing()
    {
        pickFromTrayMenu(QStringLiteral("Down Down Return")); // "Enabled": off
        x.chord(QPoint(300, 300));
        XSession::settle();
        QVERIFY(!x.isPanelShown());

        pickFromTrayMenu(QStringLiteral("Down Down Return")); // on again, still hidden
        XSession::settle();
        QVERIFY(!x.isPanelShown());
        x.chord(QPoint(300, 300));
        QVERIFY(XSession::waitFor([this] { return x.isPanelShown(); }));
    }

    void withoutX11TheTriggerIsOffAndSaidOnce()
    {
        QProcess zarvel;
        QProcessEnvironment environment = x.environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        zarvel.setProcessEnvironment(environment);
        zarvel.start(QStringLiteral(ZARVEL_BINARY), {QStringLiteral("-checkupdate")});
        QVERIFY(zarvel.waitForStarted());
        QByteArray errors;
        QVERIFY(XSession::waitFor([&] {
            errors += zarvel.readAllStandardError();
            return errors.contains("trigger is off");
        }));
        XSession::settle(); // many more ticks
        errors += zarvel.readAllStandardError();
        QCOMPARE(zarvel.state(), QProcess::Running);
        QCOMPARE(errors.count("trigger is off"), 1);
        zarvel.terminate();
        QVERIFY(zarvel.waitForFinished());
    }

    void closeFromTheTrayMenuQuits()
    {
        pickFromTrayMenu(QStringLiteral("Up Return")); // "Close", the last entry
        const int code = x.waitForZarvelExit();
        QVERIFY2(code == 0, x.zarvelErrors().right(4000).constData());
    }
};

ZARVEL_TEST_MAIN(TestChord)
#include "tst_chord.moc"

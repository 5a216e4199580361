// The pop-up trigger's logic on a scripted operating system: what each tick
// asks of the system, where the panel opens, and when it shows and hides.
#include "app/config.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "panel/placement.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"
#include "tests/support/testpanel.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <algorithm>

class TestTrigger : public QObject
{
    Q_OBJECT

private:
    FakePlatform platform;
    TestPanel panel;
    MainWindow *window = nullptr;

    void invoke(const char *slot) { QVERIFY(QMetaObject::invokeMethod(window, slot)); }
    void tick() { invoke("checkMouse"); }

    // Alt held and the right button pressed (and maybe already released)
    // since the last tick, with the pointer at `pointer`.
    void chordAt(const QPoint &pointer)
    {
        platform.pointer = pointer;
        platform.rightPressed = true;
        platform.altDown = true;
    }

    QList<QTimer *> runningTimers() const
    {
        QList<QTimer *> timers = window->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
        timers.erase(std::remove_if(timers.begin(), timers.end(), [](QTimer *t) { return !t->isActive(); }),
                     timers.end());
        return timers;
    }

    bool enableIconIs(const QString &file) const
    {
        return enableAction->icon().pixmap(16).toImage() == QIcon(file).pixmap(16).toImage();
    }

private slots:
    void initTestCase()
    {
        window = panel.open(&platform);
    }

    void init()
    {
        settingsOpen = false;
        if (!systemEnabled)
            invoke("enableSystem");
        window->hide();
        window->move(50, 60);
        platform = FakePlatform();
    }

    // One tick, from a hidden panel at (50, 60), with Alt held.
    void oneTick_data()
    {
        QTest::addColumn<bool>("rightPressed");
        QTest::addColumn<bool>("editorOpen");
        QTest::addColumn<bool>("pointerReadable");
        QTest::newRow("Alt alone") << false << false << true;
        QTest::newRow("chord, right button already released") << true << false << true;
        QTest::newRow("editor open") << true << true << true;
        QTest::newRow("pointer unreadable") << true << false << false;
    }

    void oneTick()
    {
        QFETCH(bool, rightPressed);
        QFETCH(bool, editorOpen);
        QFETCH(bool, pointerReadable);
        chordAt(QPoint(100, 100));
        platform.rightPressed = rightPressed;
        platform.pointerReadable = pointerReadable;
        settingsOpen = editorOpen;
        tick();
        // With the editor open nothing is asked: the press stays for whoever
        // asks next.
        QCOMPARE(platform.rightQueries, editorOpen ? 0 : 1);
        QCOMPARE(platform.rightPressed, editorOpen);
        const bool shown = rightPressed && !editorOpen && pointerReadable;
        QCOMPARE(window->isVisible(), shown);
        QCOMPARE(window->pos(), shown ? QPoint(100, 100) : QPoint(50, 60));
        QVERIFY(platform.calls.isEmpty());
    }

    void rightPressWithoutAltIsConsumed()
    {
        platform.rightPressed = true;
        tick();
        QVERIFY(!platform.rightPressed);
        // Alt pressed afterwards does not complete that press.
        platform.altDown = true;
        tick();
        QVERIFY(!window->isVisible());
        QCOMPARE(platform.altQueries, 1);
    }

    void foregroundSequence_data()
    {
        QTest::addColumn<bool>("trick");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Windows")
            << true
            << QStringList{"alt-down", "sleep 10", "alt-up", "show", "sleep 200", "alt-down", "sleep 10", "alt-up"};
        QTest::newRow("X11") << false << QStringList{"show"};
    }

    void foregroundSequence()
    {
        QFETCH(bool, trick);
        QFETCH(QStringList, expected);
        // "show" joins the record when the panel becomes visible.
        window->winId();
        const QMetaObject::Connection shown = connect(window->windowHandle(), &QWindow::visibleChanged, [this](bool on) {
            if (on)
                platform.calls.append(QStringLiteral("show"));
        });
        platform.foregroundTrick = trick;
        chordAt(QPoint(120, 80));
        tick();
        disconnect(shown);
        QCOMPARE(platform.calls, expected);
    }

    void placement_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("expected");
        const QSize panel(200, 300);
        const QRect single(0, 0, 1920, 1040);
        QTest::newRow("bottom right corner") << QPoint(1900, 1030) << panel << single << QPoint(1720, 740);
        QTest::newRow("exactly fits") << QPoint(1720, 740) << panel << single << QPoint(1720, 740);
        QTest::newRow("task bars at the top and left") << QPoint(10, 10) << panel << QRect(70, 40, 1850, 1000)
                                                       << QPoint(70, 40);
        QTest::newRow("panel larger than the area") << QPoint(100, 100) << QSize(2000, 1200) << single << QPoint(0, 0);
        // Other monitors: the area is that of the monitor under the pointer.
        QTest::newRow("monitor left of the primary") << QPoint(-30, 900) << panel << QRect(-1280, 0, 1280, 1024)
                                                     << QPoint(-200, 724);
        QTest::newRow("monitor above the primary") << QPoint(-500, -20) << panel << QRect(-1000, -768, 1024, 768)
                                                   << QPoint(-500, -300);
    }

    void placement()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QSize, panel);
        QFETCH(QRect, area);
        QFETCH(QPoint, expected);
        QCOMPARE(panelTopLeft(pointer, panel, area), expected);
    }

    void placementUsesTheScreenUnderThePointer()
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QRect area = screen->availableGeometry();
        QCOMPARE(availableAreaAt(area.center()), area);
        // Off every screen: the primary screen's area still holds the panel.
        QCOMPARE(availableAreaAt(area.bottomRight() + QPoint(500, 500)), area);

        chordAt(QPoint(100, 100));
        tick();
        // A chord while shown moves the panel, kept inside the screen.
        chordAt(area.bottomRight());
        tick();
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry().bottomRight(), area.bottomRight());
    }

    void toggleKeepsOnePollingTimer()
    {
        QCOMPARE(runningTimers(), QList<QTimer *>{checkMouseTimer});
        chordAt(QPoint(100, 100));
        tick();
        QVERIFY(window->isVisible());

        invoke("enableSystem");
        QVERIFY(!window->isVisible());
        QVERIFY(runningTimers().isEmpty());
        QVERIFY(enableIconIs(QStringLiteral(":/res/empty.png")));
        invoke("showWindow");
        QVERIFY(!window->isVisible());

        invoke("enableSystem");
        QVERIFY(!window->isVisible());
        QCOMPARE(runningTimers(), QList<QTimer *>{checkMouseTimer});
        QVERIFY(enableIconIs(QStringLiteral(":/res/zarvel-logo.png")));
        // The new timer really polls.
        platform.rightQueries = 0;
        QTRY_VERIFY(platform.rightQueries > 0);
    }

    void showWindowThenAnotherWindowHidesIt()
    {
        settingsOpen = true;
        invoke("showWindow");
        QVERIFY(!window->isVisible());
        settingsOpen = false;
        invoke("showWindow");
        QTRY_COMPARE(QApplication::activeWindow(), window);
        QCOMPARE(window->pos(), QPoint(50, 60)); // where it was

        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!window->isVisible());
    }
};

ZARVEL_TEST_MAIN(TestTrigger)
#include "tst_trigger.moc"

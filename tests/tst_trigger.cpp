// The pop-up trigger's logic on a scripted operating system: what each tick
// asks of the system, where the panel opens, and when it shows and hides.
#include "app/config.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "panel/placement.h"
#include "platform/fakeplatform.h"
#include "tests/support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {

// Puts "show" into the fake's record whenever the panel becomes visible, so
// the order of taps, sleeps and show() can be checked in one list.
class ShowRecorder : public QObject
{
public:
    explicit ShowRecorder(QStringList *calls)
        : m_calls(calls)
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            m_calls->append(QStringLiteral("show"));
        return false;
    }

private:
    QStringList *m_calls;
};

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

} // namespace

class TestTrigger : public QObject
{
    Q_OBJECT

private:
    FakePlatform platform;
    MainWindow *window = nullptr;

    void tick() { QVERIFY(QMetaObject::invokeMethod(window, "checkMouse")); }
    void invoke(const char *slot) { QVERIFY(QMetaObject::invokeMethod(window, slot)); }

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
        QList<QTimer *> running;
        for (QTimer *timer : window->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (timer->isActive())
                running.append(timer);
        }
        return running;
    }

private slots:
    void initTestCase()
    {
        Platform::setInstance(&platform);
        firstArgument = QStringLiteral("-checkupdate");
        window = new MainWindow;
    }

    void cleanupTestCase()
    {
        delete window;
        Platform::setInstance(nullptr);
    }

    void init()
    {
        settingsOpen = false;
        if (!systemEnabled)
            invoke("enableSystem");
        window->hide();
        platform = FakePlatform();
    }

    void startsEnabledWithOnePollingTimer()
    {
        QVERIFY(systemEnabled);
        QVERIFY(!settingsOpen);
        const QList<QTimer *> running = runningTimers();
        QCOMPARE(running.size(), 1);
        QCOMPARE(running.first(), checkMouseTimer);
        QCOMPARE(checkMouseTimer->interval(), 10);
        QCOMPARE(iconImage(enableAction->icon()), iconImage(QIcon(QStringLiteral(":/res/zarvel-logo.png"))));
        // The timer really polls.
        QTRY_VERIFY(platform.rightQueries > 0);
    }

    void tickWithoutPressAsksNothingElse()
    {
        tick();
        QCOMPARE(platform.rightQueries, 1);
        QCOMPARE(platform.altQueries, 0);
        QVERIFY(platform.calls.isEmpty());
        QVERIFY(!window->isVisible());
    }

    void rightPressWithoutAltIsConsumed()
    {
        platform.rightPressed = true;
        tick();
        QVERIFY(!window->isVisible());
        QVERIFY(!platform.rightPressed);
        QCOMPARE(platform.altQueries, 1);

        // Alt pressed afterwards does not complete that press.
        platform.altDown = true;
        tick();
        QVERIFY(!window->isVisible());
        QCOMPARE(platform.altQueries, 1);
    }

    void pressAndReleaseBetweenTicksShows()
    {
        chordAt(QPoint(100, 100));
        platform.rightDown = false; // already released
        tick();
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry().topLeft(), QPoint(100, 100));
        QVERIFY(!platform.rightPressed);
    }

    void chordWhileShownMovesThePanel()
    {
        chordAt(QPoint(100, 100));
        tick();
        const QSize size = window->size();
        chordAt(QPoint(300, 200));
        tick();
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(), QRect(QPoint(300, 200), size));
    }

    void editorOpenQueriesNothing()
    {
        settingsOpen = true;
        chordAt(QPoint(100, 100));
        tick();
        QCOMPARE(platform.rightQueries, 0);
        QCOMPARE(platform.altQueries, 0);
        QVERIFY(platform.rightPressed); // left for whoever asks next
        QVERIFY(!window->isVisible());

        invoke("showWindow");
        QVERIFY(!window->isVisible());

        // The toggle still works meanwhile.
        invoke("enableSystem");
        QVERIFY(!systemEnabled);
        invoke("enableSystem");
        QVERIFY(systemEnabled);
    }

    void unreadablePointerDoesNothing()
    {
        window->move(50, 60);
        chordAt(QPoint(400, 300));
        platform.pointerReadable = false;
        tick();
        QVERIFY(!window->isVisible());
        QCOMPARE(window->pos(), QPoint(50, 60));
        QVERIFY(platform.calls.isEmpty());
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
        ShowRecorder recorder(&platform.calls);
        window->installEventFilter(&recorder);
        platform.foregroundTrick = trick;
        chordAt(QPoint(120, 80));
        tick();
        window->removeEventFilter(&recorder);
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
        QTest::newRow("room enough") << QPoint(100, 100) << panel << single << QPoint(100, 100);
        QTest::newRow("bottom right corner") << QPoint(1900, 1030) << panel << single << QPoint(1720, 740);
        QTest::newRow("exactly fits") << QPoint(1720, 740) << panel << single << QPoint(1720, 740);
        QTest::newRow("task bar at the top") << QPoint(500, 10) << panel << QRect(0, 40, 1920, 1040)
                                             << QPoint(500, 40);
        QTest::newRow("task bar at the left, bottom right")
            << QPoint(1990, 1070) << panel << QRect(70, 0, 1920, 1080) << QPoint(1790, 780);
        QTest::newRow("panel taller than the area")
            << QPoint(100, 100) << QSize(200, 1200) << single << QPoint(100, 0);
        // Two monitors: the area is that of the monitor under the pointer.
        QTest::newRow("right monitor") << QPoint(3100, 1000) << panel << QRect(1920, 0, 1280, 1024)
                                       << QPoint(3000, 724);
        QTest::newRow("right monitor, left edge") << QPoint(1925, 5) << panel << QRect(1920, 0, 1280, 1024)
                                                  << QPoint(1925, 5);
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

        chordAt(area.bottomRight());
        tick();
        QCOMPARE(window->geometry().bottomRight(), area.bottomRight());
    }

    void enabledTwiceLeavesOnePollingTimerAndTheLogo()
    {
        chordAt(QPoint(100, 100));
        tick();
        QVERIFY(window->isVisible());

        invoke("enableSystem");
        QVERIFY(!systemEnabled);
        QVERIFY(!window->isVisible());
        QVERIFY(runningTimers().isEmpty());
        QCOMPARE(iconImage(enableAction->icon()), iconImage(QIcon(QStringLiteral(":/res/empty.png"))));

        invoke("enableSystem");
        QVERIFY(systemEnabled);
        QVERIFY(!window->isVisible());
        const QList<QTimer *> running = runningTimers();
        QCOMPARE(running.size(), 1);
        QCOMPARE(running.first(), checkMouseTimer);
        QCOMPARE(iconImage(enableAction->icon()), iconImage(QIcon(QStringLiteral(":/res/zarvel-logo.png"))));
    }

    void showWindow_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("editorOpen");
        QTest::addColumn<bool>("shown");
        QTest::newRow("on") << true << false << true;
        QTest::newRow("off") << false << false << false;
        QTest::newRow("editor open") << true << true << false;
    }

    void showWindow()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, editorOpen);
        QFETCH(bool, shown);
        window->move(70, 80);
        if (!enabled)
            invoke("enableSystem");
        settingsOpen = editorOpen;
        invoke("showWindow");
        QCOMPARE(window->isVisible(), shown);
        QCOMPARE(window->pos(), QPoint(70, 80)); // shown where it was
        QVERIFY(platform.calls.isEmpty());
    }

    void hidesWhenAnotherWindowBecomesActive()
    {
        invoke("showWindow");
        QTRY_COMPARE(QApplication::activeWindow(), window);

        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!window->isVisible());
    }
};

ZARVEL_TEST_MAIN(TestTrigger)
#include "tst_trigger.moc"

// The tray icon and its menu as the panel builds them at start-up.
#include "app/config.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "platform/fakeplatform.h"
#include "tests/support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16)).toImage();
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

private:
    FakePlatform platform;
    MainWindow *window = nullptr;

    QList<QAction *> entries() const { return trayIcon->contextMenu()->actions(); }

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

    void iconAndToolTip()
    {
        QVERIFY(trayIcon);
        QCOMPARE(trayIcon->parent(), window);
        QVERIFY(trayIcon->isVisible());
        QCOMPARE(iconImage(trayIcon->icon()), iconImage(QIcon(QStringLiteral(":/res/zarvel-logo.png"))));
        QCOMPARE(trayIcon->toolTip(), QStringLiteral("Zarvel ") + configValue(QStringLiteral("type")).toString());
        if (buttonCount == 2)
            QCOMPARE(trayIcon->toolTip(), QStringLiteral("Zarvel Lite"));
        // The 512 px logo is not kept whole for a tray-sized picture.
        const QList<QSize> sizes = trayIcon->icon().availableSizes();
        QVERIFY(!sizes.isEmpty());
        for (const QSize &size : sizes)
            QVERIFY(size.width() <= 64 && size.height() <= 64);
    }

    void menuEntriesInOrder()
    {
        QMenu *menu = trayIcon->contextMenu();
        QVERIFY(menu);
        QCOMPARE(menu->parent(), window);
        QStringList texts;
        for (QAction *action : entries()) {
            texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
            QVERIFY(!action->isCheckable());
            if (!action->isSeparator())
                QCOMPARE(action->parent(), window);
        }
        QCOMPARE(texts, (QStringList{"Show Window", "Enabled", "--", "Settings", "Check for Updates", "About", "--",
                                     "Close"}));
        QCOMPARE(entries().at(1), enableAction);
        for (int i : {0, 3, 4, 5, 7})
            QVERIFY(entries().at(i)->icon().isNull());
        QCOMPARE(iconImage(enableAction->icon()), iconImage(QIcon(QStringLiteral(":/res/zarvel-logo.png"))));
    }

    void entriesReachTheirSlots_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QByteArray>("slot");
        QTest::newRow("Show Window") << 0 << QByteArray(SLOT(showWindow()));
        QTest::newRow("Enabled") << 1 << QByteArray(SLOT(enableSystem()));
        QTest::newRow("Settings") << 3 << QByteArray(SLOT(on_pushButton_settings_clicked()));
        QTest::newRow("Check for Updates") << 4 << QByteArray(SLOT(showUpdateWindow()));
        QTest::newRow("About") << 5 << QByteArray(SLOT(showAboutWindow()));
    }

    void entriesReachTheirSlots()
    {
        QFETCH(int, entry);
        QFETCH(QByteArray, slot);
        QAction *action = entries().at(entry);
        // A connection by name exists exactly when it can be taken away.
        QVERIFY(QObject::disconnect(action, SIGNAL(triggered()), window, slot.constData()));
        QVERIFY(!QObject::disconnect(action, SIGNAL(triggered()), window, slot.constData()));
        QVERIFY(QObject::connect(action, SIGNAL(triggered()), window, slot.constData()));
    }

    void showWindowAndEnabledWork()
    {
        QAction *show = entries().at(0);
        show->trigger();
        QVERIFY(window->isVisible());

        enableAction->trigger();
        QVERIFY(!systemEnabled);
        QVERIFY(!window->isVisible());
        QCOMPARE(iconImage(enableAction->icon()), iconImage(QIcon(QStringLiteral(":/res/empty.png"))));
        show->trigger();
        QVERIFY(!window->isVisible());

        enableAction->trigger();
        QVERIFY(systemEnabled);
        QVERIFY(!window->isVisible());
    }

    void autostartEntryIsAskedForOnce()
    {
        QCOMPARE(platform.autostartRequests, 1);
    }

    // "Close" quits the event loop; the end-to-end test picks it from the
    // real tray menu and sees the program end.
};

ZARVEL_TEST_MAIN(TestTray)
#include "tst_tray.moc"

// The tray icon and its menu as the panel builds them at start-up.
#include "app/config.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"
#include "tests/support/testpanel.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtTest>

class TestTray : public QObject
{
    Q_OBJECT

private:
    FakePlatform platform;
    TestPanel panel;
    MainWindow *window = nullptr;

    QList<QAction *> entries() const { return trayIcon->contextMenu()->actions(); }
    static QImage image(const QIcon &icon) { return icon.pixmap(16).toImage(); }

private slots:
    void initTestCase()
    {
        window = panel.open(&platform);
    }

    void iconAndMenu()
    {
        QVERIFY(trayIcon->isVisible());
        const QString edition = buttonCount == 2 ? "Lite" : buttonCount == 12 ? "Original" : "Deluxe";
        QCOMPARE(trayIcon->toolTip(), QStringLiteral("Zarvel ") + edition);
        const QImage logo = image(QIcon(QStringLiteral(":/res/zarvel-logo.png")));
        QCOMPARE(image(trayIcon->icon()), logo);
        // The 512 px logo is not kept whole for a tray-sized picture.
        for (const QSize &size : trayIcon->icon().availableSizes())
            QVERIFY(size.width() <= 64 && size.height() <= 64);

        QStringList texts;
        for (QAction *action : entries()) {
            texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
            QVERIFY(!action->isCheckable());
            QCOMPARE(action->icon().isNull(), action != enableAction);
        }
        QCOMPARE(texts, (QStringList{"Show Window", "Enabled", "--", "Settings", "Check for Updates", "About", "--",
                                     "Close"}));
        QCOMPARE(image(enableAction->icon()), logo);
        // Start-up asks for the autostart entry, once.
        QCOMPARE(platform.autostartRequests, 1);
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
        // A connection by name exists exactly once when it can be taken away
        // just once. ("Close" is picked from the real tray menu end to end.)
        QVERIFY(QObject::disconnect(action, SIGNAL(triggered()), window, slot.constData()));
        QVERIFY(!QObject::disconnect(action, SIGNAL(triggered()), window, slot.constData()));
        QVERIFY(QObject::connect(action, SIGNAL(triggered()), window, slot.constData()));
    }
};

ZARVEL_TEST_MAIN(TestTray)
#include "tst_tray.moc"

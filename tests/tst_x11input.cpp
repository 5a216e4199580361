// The X11 input layer against a real X server: raw right-button presses
// and Alt, as injected through XTEST, read back in the order they happened.
#include "platform/x11input.h"
#include "tests/support/sandbox.h"
#include "tests/support/xsession.h"

#include <QApplication>
#include <QtTest>

#include <memory>

class TestX11Input : public QObject
{
    Q_OBJECT

private:
    XSession x;
    std::unique_ptr<X11Input> input;

    void inject(const QString &commands)
    {
        x.xdotool(commands.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }

    // Waits for a right press to arrive; whether one did, and Alt at it.
    bool waitForRightPress(bool *altAtPress)
    {
        return XSession::waitFor([&] { return input->takeRightButtonPressed(altAtPress); }, 5000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(x.start(), qPrintable(x.errorString()));
        input = std::make_unique<X11Input>();
        QVERIFY2(input->open(qPrintable(x.display())), input->openError());
        QVERIFY(input->connectionFd() >= 0);
    }

    void cleanup()
    {
        inject(QStringLiteral("keyup alt keyup Alt_R"));
        QVERIFY(XSession::waitFor([this] { return !input->altDown(); }));
        XSession::settle(100);
        input->takeRightButtonPressed();
    }

    void rightPressCarriesTheAltStateOfItsMoment_data()
    {
        QTest::addColumn<QString>("commands");
        QTest::addColumn<bool>("altAtPress");
        QTest::addColumn<bool>("altAfter");
        QTest::newRow("right click") << "click 3" << false << false;
        QTest::newRow("chord, Alt let go before the query") << "keydown alt click 3 keyup alt" << true << false;
        QTest::newRow("right Alt") << "keydown Alt_R click 3 keyup Alt_R" << true << false;
        QTest::newRow("right click, then Alt held") << "click 3 keydown alt" << false << true;
        QTest::newRow("plain click, then the chord") << "click 3 keydown alt click 3" << true << true;
        QTest::newRow("press and hold") << "keydown alt mousedown 3 mouseup 3 keyup alt" << true << false;
    }

    void rightPressCarriesTheAltStateOfItsMoment()
    {
        QFETCH(QString, commands);
        QFETCH(bool, altAtPress);
        QFETCH(bool, altAfter);
        inject(commands);
        bool alt = false;
        QVERIFY(waitForRightPress(&alt));
        QCOMPARE(alt, altAtPress);
        QCOMPARE(input->altDown(), altAfter);
        // The query reset the press.
        QVERIFY(!input->takeRightButtonPressed(&alt));
        QVERIFY(!alt);
    }

    void otherButtonsAreNoRightPress_data()
    {
        QTest::addColumn<QString>("commands");
        QTest::newRow("left") << "click 1";
        QTest::newRow("middle with Alt") << "keydown alt click 2 keyup alt";
        QTest::newRow("wheel") << "click 4 click 5";
        QTest::newRow("Alt alone") << "keydown alt keyup alt";
    }

    void otherButtonsAreNoRightPress()
    {
        QFETCH(QString, commands);
        inject(commands);
        XSession::settle();
        QVERIFY(!input->takeRightButtonPressed());
    }

    void pressIsSeenThroughTheWindowManagersGrab()
    {
        // openbox holds a passive grab on Alt + right button over clients.
        const QRect area(300, 300, 300, 200);
        QVERIFY(x.startClientWindow(area) != 0);
        x.chord(area.center());
        bool alt = false;
        QVERIFY(waitForRightPress(&alt));
        QVERIFY(alt);
    }

    void pointerIsReadOnTheRoot()
    {
        x.movePointer(QPoint(321, 123));
        int px = -1;
        int py = -1;
        QVERIFY(input->pointer(&px, &py));
        QCOMPARE(QPoint(px, py), QPoint(321, 123));
    }

    void altHeldBeforeListeningIsDown()
    {
        inject(QStringLiteral("keydown alt"));
        XSession::settle(100);
        X11Input late;
        QVERIFY(late.open(qPrintable(x.display())));
        QVERIFY(late.altDown());
    }

    void altMovedToAnotherKeyIsFollowed()
    {
        // Alt_L only on keycode 200 from now on; keycode 64 types "a".
        bool ok = false;
        x.run(QStringLiteral("xmodmap"), {QStringLiteral("-e"), QStringLiteral("keycode 64 = a"), QStringLiteral("-e"),
                                          QStringLiteral("keycode 200 = Alt_L")},
              &ok);
        QVERIFY(ok);
        inject(QStringLiteral("keydown Alt_L"));
        QVERIFY(XSession::waitFor([this] { return input->altDown(); }));
        inject(QStringLiteral("keyup Alt_L"));
        QVERIFY(XSession::waitFor([this] { return !input->altDown(); }));
        x.run(QStringLiteral("xmodmap"), {QStringLiteral("-e"), QStringLiteral("keycode 200 ="), QStringLiteral("-e"),
                                          QStringLiteral("keycode 64 = Alt_L Meta_L")});
    }

    void openFailsWithoutAServer()
    {
        X11Input none;
        QVERIFY(!none.open(":65000"));
        QVERIFY(!none.isOpen());
        QVERIFY(QByteArray(none.openError()).size() > 0);
        QCOMPARE(none.connectionFd(), -1);
        QVERIFY(!none.takeRightButtonPressed());
        QVERIFY(!none.altDown());
        int px = 0;
        int py = 0;
        QVERIFY(!none.pointer(&px, &py));
    }
};

ZARVEL_TEST_MAIN(TestX11Input)
#include "tst_x11input.moc"

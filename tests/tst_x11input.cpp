// The X11 input layer against a real X server: raw right-button presses
// and Alt, as injected through XTEST, read back in the order they happened.
#include "platform/platform.h"
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

    // Reads what arrived (as the program does when the socket is readable)
    // and answers the query.
    bool pressed(bool *altAtPress = nullptr)
    {
        input->processPending();
        return input->takeRightButtonPressed(altAtPress);
    }
    bool altDown()
    {
        input->processPending();
        return input->altDown();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(x.start(), qPrintable(x.errorString()));
        input = std::make_unique<X11Input>();
        QVERIFY2(input->open(qPrintable(x.display())), input->openError());
    }

    void cleanup()
    {
        inject(QStringLiteral("keyup alt keyup Alt_R"));
        QVERIFY(XSession::waitFor([this] { return !altDown(); }));
        XSession::settle(100);
        pressed();
    }

    void rightPressCarriesTheAltStateOfItsMoment_data()
    {
        QTest::addColumn<QString>("commands");
        QTest::addColumn<bool>("rightPress");
        QTest::addColumn<bool>("altAtPress");
        QTest::addColumn<bool>("altAfter");
        QTest::newRow("chord, Alt let go before the query") << "keydown alt click 3 keyup alt" << true << true << false;
        QTest::newRow("right Alt") << "keydown Alt_R click 3 keyup Alt_R" << true << true << false;
        QTest::newRow("right click, then Alt held") << "click 3 keydown alt" << true << false << true;
        QTest::newRow("the chord, then a plain click") << "keydown alt click 3 keyup alt click 3" << true << true << false;
        QTest::newRow("left click and wheel") << "click 1 click 4 click 5" << false << false << false;
        QTest::newRow("middle click with Alt") << "keydown alt click 2 keyup alt" << false << false << false;
        QTest::newRow("Alt alone") << "keydown alt keyup alt" << false << false << false;
    }

    void rightPressCarriesTheAltStateOfItsMoment()
    {
        QFETCH(QString, commands);
        QFETCH(bool, rightPress);
        QFETCH(bool, altAtPress);
        QFETCH(bool, altAfter);
        inject(commands);
        bool alt = false;
        if (rightPress) {
            QVERIFY(XSession::waitFor([&] { return pressed(&alt); }, 5000));
        } else {
            XSession::settle();
            QVERIFY(!pressed(&alt));
        }
        QCOMPARE(alt, altAtPress);
        QCOMPARE(altDown(), altAfter);
        // The query reset the press.
        QVERIFY(!pressed(&alt));
        QVERIFY(!alt);
    }

    void pointerIsReadOnTheRoot()
    {
        x.movePointer(QPoint(321, 123));
        QPoint at;
        QVERIFY(input->pointer(&at.rx(), &at.ry()));
        QCOMPARE(at, QPoint(321, 123));
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
        x.run(QStringLiteral("xmodmap"), {"-e", "keycode 64 = a", "-e", "keycode 200 = Alt_L"}, &ok);
        QVERIFY(ok);
        inject(QStringLiteral("keydown Alt_L"));
        QVERIFY(XSession::waitFor([this] { return altDown(); }));
        inject(QStringLiteral("keyup Alt_L"));
        QVERIFY(XSession::waitFor([this] { return !altDown(); }));
        x.run(QStringLiteral("xmodmap"), {"-e", "keycode 200 =", "-e", "keycode 64 = Alt_L Meta_L"});
    }

    // The program's own layer, on the display this test runs on: a chord
    // read only after Alt was let go still counts while the ticks come
    // (the event loop was busy, say), but a press left from a pause in
    // polling (trigger off, editor open) needs Alt held now.
    void platformJudgesTheChordAsMade_data()
    {
        QTest::addColumn<bool>("pause");
        QTest::addColumn<bool>("altAnswer");
        QTest::newRow("ticking") << false << true;
        QTest::newRow("after a pause") << true << false;
    }

    void platformJudgesTheChordAsMade()
    {
        QFETCH(bool, pause);
        QFETCH(bool, altAnswer);
        Platform &platform = nativePlatform();
        QVERIFY(platform.triggerAvailable());
        auto tick = [&platform] { return platform.asyncKeyState(Platform::Key::RightButton).pressedSinceLastQuery; };
        XSession::settle();
        tick();

        QProcess chord; // on this test's own display, which the platform uses
        chord.start(QStringLiteral("xdotool"), QStringLiteral("keydown alt click 3 keyup alt").split(QLatin1Char(' ')));
        // Nothing is read while the event loop does not run.
        while (!chord.waitForFinished(10))
            QVERIFY(!tick());
        QCOMPARE(chord.exitCode(), 0);

        if (pause)
            XSession::settle(); // reads, but asks nothing
        QVERIFY(XSession::waitFor(tick));
        QCOMPARE(platform.asyncKeyState(Platform::Key::Alt).down, altAnswer);
        QVERIFY(!platform.asyncKeyState(Platform::Key::Alt).down);
    }

    void openFailsWithoutAServer()
    {
        X11Input none;
        QVERIFY(!none.open(":65000"));
        QVERIFY(QByteArray(none.openError()).size() > 0);
        QCOMPARE(none.connectionFd(), -1);
        // Queries on no connection just say no.
        none.processPending();
        int px = 0;
        QVERIFY(!none.takeRightButtonPressed() && !none.altDown() && !none.pointer(&px, &px));
    }
};

ZARVEL_TEST_MAIN(TestX11Input)
#include "tst_x11input.moc"

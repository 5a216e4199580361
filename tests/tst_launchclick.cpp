// The real program on a real X server, driven by injected input: the chord
// opens the panel, a click on a button starts a real program and hides the
// panel, folders open and close, and a target that cannot start is told
// through the tray.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "buttons/buttonstyle.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"
#include "tests/support/xsession.h"

#include <QPushButton>
#include <QtTest>

class TestLaunchClick : public QObject
{
    Q_OBJECT

private:
    XSession x;
    QString recorder;
    QList<QPoint> buttonCentres; // in panel coordinates, button 1 first

    QString recordPath() const { return sandbox::home() + QStringLiteral("/launch"); }

    QStringList waitForLaunch()
    {
        if (!XSession::waitFor([this] { return QFile::exists(recordPath()); }, 20000))
            return QStringList();
        return sandbox::takeRecord(recordPath());
    }

    void openPanel()
    {
        x.chord(QPoint(300, 300));
        QVERIFY(XSession::waitFor([this] { return x.isPanelShown(); }));
        QVERIFY(XSession::waitFor([this] { return x.activeWindow() == x.panelWindow(); }));
    }

    void clickButton(int n) { x.click(x.geometry(x.panelWindow()).topLeft() + buttonCentres.at(n - 1)); }

    // Whether Zarvel shows a window beside the panel and the tray icon: the
    // tray's balloon.
    bool showsAnotherWindow() const
    {
        const QString found = x.xdotool({"search", "--onlyvisible", "--pid", QString::number(x.zarvelPid())});
        for (const QString &line : found.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const XSession::WindowId window = line.trimmed().toULongLong();
            if (window != 0 && window != x.panelWindow() && window != x.trayIconWindow())
                return true;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        if (buttonCount < 2)
            QSKIP("needs a second button");

        recorder = sandbox::home() + QStringLiteral("/bin/launch me $now.sh");
        QVERIFY(!sandbox::writeProgram(recorder, "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" > \"$HOME/.launch.$$\"\n"
                                                  "mv \"$HOME/.launch.$$\" \"$HOME/launch\"\n")
                     .isEmpty());

        // Button 1 starts the recorder; button 2 is a folder (slot 1 is its
        // way back) whose button 2 names a file that is not there.
        const auto button = [](const QString &path, const QJsonValue &folder = QJsonValue::Null) {
            QJsonObject b = defaultButton();
            b.insert("path", path);
            b.insert("folder", folder);
            return b;
        };
        QJsonObject folder = defaultButtonsLevel();
        folder.insert(buttonKey(2), button(quoteStoredPath(sandbox::home() + "/bin/gone away.sh")));
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(1), button(quoteStoredPath(recorder) + " --from \"the panel\""));
        root.insert(buttonKey(2), button("Folder", folder));
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));

        // Where the buttons sit inside the panel: the same form laid out in
        // this process, never shown on a screen.
        FakePlatform platform;
        Platform::setInstance(&platform);
        firstArgument = QStringLiteral("-checkupdate");
        {
            MainWindow layout;
            layout.setAttribute(Qt::WA_DontShowOnScreen);
            layout.show();
            for (int i = 0; i < buttonCount; ++i)
                buttonCentres.append(panelButtons[i]->mapTo(&layout, panelButtons[i]->rect().center()));
            layout.hide();
        }
        Platform::setInstance(nullptr);

        QVERIFY2(x.start(), qPrintable(x.errorString()));
        QVERIFY2(x.startZarvel(), qPrintable(x.errorString()));
        QVERIFY2(x.startTray(), qPrintable(x.errorString()));
        QVERIFY(XSession::waitFor([this] { return x.trayIconWindow() != 0; }));
    }

    void chordThenClickStartsTheProgramAndHidesThePanel()
    {
        openPanel();
        clickButton(1);
        QCOMPARE(waitForLaunch(), (QStringList{recorder, "--from", "the panel"}));
        QVERIFY(XSession::waitFor([this] { return !x.isPanelShown(); }));
        QVERIFY(x.zarvelRunning());
    }

    void aTargetThatCannotStartIsToldThroughTheTray()
    {
        openPanel();
        clickButton(2); // into the folder
        XSession::settle();
        QVERIFY(x.isPanelShown());
        clickButton(2); // the missing file
        QVERIFY(XSession::waitFor([this] { return !x.isPanelShown(); }));
        QVERIFY(XSession::waitFor(
            [this] { return x.zarvelErrors().contains("gone away.sh could not be started: the file does not exist."); }));
        // The tray's balloon comes up beside the icon.
        QVERIFY(XSession::waitFor([this] { return showsAnotherWindow(); }));
        QVERIFY(!QFile::exists(recordPath()));
    }

    void thePanelReopensInTheFolderAndGoesBack()
    {
        openPanel();
        clickButton(1); // Back, since the panel reopens inside the folder
        XSession::settle();
        QVERIFY(x.isPanelShown());
        QVERIFY(!QFile::exists(recordPath()));
        clickButton(1); // now the top level's program
        QCOMPARE(waitForLaunch().value(0), recorder);
        QVERIFY(XSession::waitFor([this] { return !x.isPanelShown(); }));
    }
};

ZARVEL_TEST_MAIN(TestLaunchClick)
#include "tst_launchclick.moc"

// The hand-over to the updater as the panel asks for it: the command texts
// of both systems, the restart command through a real shell, and the
// confirmation box, with the operating system faked.
#include "app/config.h"
#include "panel/mainwindow.h"
#include "tests/support/fakeplatform.h"
#include "platform/updatecommand.h"
#include "tests/support/sandbox.h"
#include "tests/support/testpanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <functional>

static const QString checkButton = QStringLiteral("  Check for Updates  ");

class TestUpdates : public QObject
{
    Q_OBJECT

    FakePlatform platform;
    TestPanel panel;
    MainWindow *window = nullptr;

    static QString title()
    {
        return QStringLiteral("Updates - Zarvel ") + configValue(QStringLiteral("type")).toString();
    }

    // Notes the next message box's title, text and sorted button texts in
    // `shown`, then runs `handle` on it from inside its exec().
    void onNextMessageBox(QString *shown, std::function<void(QMessageBox *)> handle)
    {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [poll, shown, handle] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->property("zarvelSeen").toBool())
                return;
            box->setProperty("zarvelSeen", true);
            poll->deleteLater();
            poll->stop();
            QStringList buttons;
            for (QAbstractButton *button : box->buttons())
                buttons << button->text();
            buttons.sort();
            *shown = box->windowTitle() + QLatin1Char('\n') + box->text() + QLatin1Char('\n')
                + buttons.join(QLatin1Char('\n'));
            handle(box);
        });
        poll->start(10);
    }

    static void clickButton(QMessageBox *box, const QString &text)
    {
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        box->reject();
    }

    // The timer that ends the program after a hand-over; the test removes it
    // so that the test's own event loops keep running.
    bool takeQuitTimer()
    {
        auto *timer = window->findChild<QTimer *>(QStringLiteral("updateQuitTimer"));
        const bool armed = timer && timer->isActive();
        delete timer;
        return armed;
    }

private slots:
    void initTestCase()
    {
        window = panel.open(&platform);
    }

    void init()
    {
        platform.updaterStarts.clear();
        platform.nextUpdaterResult = Platform::StartResult{true, QString()};
    }

    // Every piece quoted, so that the single-string start splits it into
    // the updater's three arguments whatever the folder is called.
    void windowsCommandText()
    {
        const QString url = QStringLiteral("https://u.example/z/version/lite.json");
        const QString folder = QStringLiteral("C:/Program Files (x86)/Zarvel");
        const QString text = windowsUpdaterCommand(folder, QStringLiteral("1.5.0"), url);
        QCOMPARE(text, QStringLiteral("cmd.exe /c call \"C:/Program Files (x86)/Zarvel/zvUpdtr.exe\" \"1.5.0\" "
                                      "\"https://u.example/z/version/lite.json\" \"Zarvel.exe -checkupdate\""));
        QCOMPARE(QProcess::splitCommand(text),
                 (QStringList{"cmd.exe", "/c", "call", folder + "/zvUpdtr.exe", "1.5.0", url,
                              "Zarvel.exe -checkupdate"}));
    }

    // The updater runs its third argument with /bin/sh; whatever the
    // program's path holds, the shell must start exactly that file with
    // exactly "-checkupdate".
    void restartCommandSurvivesTheShell_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "bin";
        QTest::newRow("blanks") << "my programs/zarvel 1.5";
        QTest::newRow("quotes") << "it's \"here\"";
        QTest::newRow("shell characters") << "$HOME `id` ; & | * ? ~ \\ (x) {y} [z] #";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Programme/Zärvel ✓");
    }
    void restartCommandSurvivesTheShell()
    {
        QFETCH(QString, folder);
        const QString program = sandbox::root() + QStringLiteral("/restart/") + folder + QStringLiteral("/Zarvel");
        QVERIFY(sandbox::writeFile(program, "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\"\n"));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), unixRestartCommand(program)});
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), program + QStringLiteral("|-checkupdate|"));
    }

    void answersToTheBox_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("handsOver");
        QTest::newRow("Cancel") << "Cancel" << false;
        QTest::newRow("Escape") << "" << false;
        QTest::newRow("closed") << "close" << false;
        QTest::newRow("Check for Updates") << checkButton << true;
    }
    void answersToTheBox()
    {
        QFETCH(QString, answer);
        QFETCH(bool, handsOver);
        QString shown;
        onNextMessageBox(&shown, [answer](QMessageBox *box) {
            if (answer.isEmpty())
                QTest::keyClick(box, Qt::Key_Escape);
            else if (answer == QLatin1String("close"))
                box->close();
            else
                clickButton(box, answer);
        });
        QVERIFY(QMetaObject::invokeMethod(window, "showUpdateWindow"));
        QCOMPARE(shown, title()
                     + QStringLiteral("\nPlease be advised that the Zarvel will be closed during the update\n"
                                      "and will automatically reopen once the update is complete.\n")
                     + checkButton + QStringLiteral("\nCancel"));
        QCOMPARE(takeQuitTimer(), handsOver);
        QCOMPARE(platform.updaterStarts.size(), handsOver ? 1 : 0);
        if (handsOver)
            QCOMPARE(platform.updaterStarts.first(),
                     (QStringList{QDir::currentPath(), appVersion,
                                  updateBaseUrl + QStringLiteral("/version/")
                                      + configValue(QStringLiteral("type")).toString().toLower()
                                      + QStringLiteral(".json")}));
    }

    // Asked from the tray, a missing updater is said, not silently ignored,
    // and Zarvel keeps running.
    void missingUpdaterIsReported()
    {
        const QString error = QStringLiteral("The updater /x/zvUpdtr was not found.");
        platform.nextUpdaterResult = Platform::StartResult{false, error};
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("zvUpdtr was not found")));
        QString confirmation, failure;
        onNextMessageBox(&confirmation, [this, &failure](QMessageBox *box) {
            onNextMessageBox(&failure, [](QMessageBox *second) { second->accept(); });
            clickButton(box, checkButton);
        });
        QVERIFY(QMetaObject::invokeMethod(window, "showUpdateWindow"));
        QVERIFY2(failure.startsWith(title() + QLatin1Char('\n') + error), qPrintable(failure));
        QCOMPARE(platform.updaterStarts.size(), 1);
        QVERIFY(!takeQuitTimer());
    }
};

ZARVEL_TEST_MAIN(TestUpdates)
#include "tst_updates.moc"

// The hand-over to the updater as the panel asks for it: the command texts
// of both systems, the restart command through a real shell, and the
// confirmation box, with the operating system faked.
#include "app/config.h"
#include "panel/mainwindow.h"
#include "platform/fakeplatform.h"
#include "platform/updatecommand.h"
#include "tests/support/sandbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// What a message box showed, read while it was open.
struct SeenBox {
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::WindowModality modality = Qt::NonModal;
    bool contextHelp = true;
    QStringList buttonTexts;
};

} // namespace

class TestUpdates : public QObject
{
    Q_OBJECT

private:
    FakePlatform platform;
    MainWindow *window = nullptr;

    static QString edition() { return configValue(QStringLiteral("type")).toString(); }

    static QString expectedUrl()
    {
        return updateBaseUrl + QStringLiteral("/version/") + edition().toLower() + QStringLiteral(".json");
    }

    // Runs `handle` on the next message box once it is open, from inside
    // its exec(), after noting what it shows in `seen`.
    void onNextMessageBox(SeenBox *seen, std::function<void(QMessageBox *)> handle)
    {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [poll, seen, handle] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (!box || !box->isVisible() || box->property("zarvelSeen").toBool())
                    continue;
                box->setProperty("zarvelSeen", true);
                poll->deleteLater();
                poll->stop();
                seen->seen = true;
                seen->title = box->windowTitle();
                seen->text = box->text();
                seen->icon = box->icon();
                seen->modality = box->windowModality();
                seen->contextHelp = box->windowFlags().testFlag(Qt::WindowContextHelpButtonHint);
                for (QAbstractButton *button : box->buttons())
                    seen->buttonTexts.append(button->text());
                seen->buttonTexts.sort();
                handle(box);
                return;
            }
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

    // The timer that ends the program after a hand-over; the test stops it
    // so that the test's own event loops keep running.
    bool takeQuitTimer()
    {
        auto *timer = window->findChild<QTimer *>(QStringLiteral("updateQuitTimer"));
        if (!timer)
            return false;
        const bool armed = timer->isActive() && timer->interval() == 10;
        delete timer;
        return armed;
    }

private slots:
    void initTestCase()
    {
        Platform::setInstance(&platform);
        firstArgument = QStringLiteral("-checkupdate");
        window = new MainWindow;
        QVERIFY(platform.updaterStarts.isEmpty());
    }

    void cleanupTestCase()
    {
        delete window;
        Platform::setInstance(nullptr);
    }

    void init()
    {
        platform.updaterStarts.clear();
        platform.nextUpdaterResult = Platform::StartResult{true, QString()};
    }

    void versionDocumentFollowsTheEdition_data()
    {
        QTest::addColumn<QString>("edition");
        QTest::addColumn<QString>("document");
        QTest::newRow("Lite") << "Lite"
                              << "lite.json";
        QTest::newRow("Original") << "Original"
                                  << "original.json";
        QTest::newRow("Deluxe") << "Deluxe"
                                << "deluxe.json";
        QTest::newRow("no edition") << ""
                                    << ".json";
    }
    void versionDocumentFollowsTheEdition()
    {
        QFETCH(QString, edition);
        QFETCH(QString, document);
        QCOMPARE(updaterVersionUrl(QStringLiteral("https://u.example/z"), edition),
                 QStringLiteral("https://u.example/z/version/") + document);
    }

    void windowsCommandText_data()
    {
        QTest::addColumn<QString>("workingDirectory");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("split");
        const QString url = QStringLiteral("https://u.example/z/version/lite.json");
        QTest::newRow("plain folder")
            << "C:/Zarvel"
            << "cmd.exe /c call \"C:/Zarvel/zvUpdtr.exe\" \"1.5.0\" \"https://u.example/z/version/lite.json\" "
               "\"Zarvel.exe -checkupdate\""
            << QStringList{"cmd.exe", "/c", "call", "C:/Zarvel/zvUpdtr.exe", "1.5.0", url, "Zarvel.exe -checkupdate"};
        QTest::newRow("folder with blanks")
            << "C:/Program Files (x86)/Zarvel"
            << "cmd.exe /c call \"C:/Program Files (x86)/Zarvel/zvUpdtr.exe\" \"1.5.0\" "
               "\"https://u.example/z/version/lite.json\" \"Zarvel.exe -checkupdate\""
            << QStringList{"cmd.exe",    "/c", "call", "C:/Program Files (x86)/Zarvel/zvUpdtr.exe",
                           "1.5.0",      url,  "Zarvel.exe -checkupdate"};
    }
    void windowsCommandText()
    {
        QFETCH(QString, workingDirectory);
        QFETCH(QString, command);
        QFETCH(QStringList, split);
        const QString text = windowsUpdaterCommand(workingDirectory, QStringLiteral("1.5.0"),
                                                   QStringLiteral("https://u.example/z/version/lite.json"));
        QCOMPARE(text, command);
        // The single-string start splits exactly like this: the updater gets
        // three arguments whatever the folder is called.
        QCOMPARE(QProcess::splitCommand(text), split);
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
        const QString record = sandbox::root() + QStringLiteral("/restart-arguments");
        QFile::remove(record);
        QVERIFY(sandbox::writeFile(program, "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" > \"$ZARVEL_RECORD\"\n"));
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));

        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZARVEL_RECORD"), record);
        shell.setProcessEnvironment(environment);
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), unixRestartCommand(program)});
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(sandbox::readFile(record)), program + QStringLiteral("|-checkupdate|"));
    }

    void checkUpdatesHandsOverAndQuits()
    {
        QVERIFY(QMetaObject::invokeMethod(window, "checkUpdates"));
        QCOMPARE(platform.updaterStarts.size(), 1);
        QCOMPARE(platform.updaterStarts.first(), (QStringList{QDir::currentPath(), appVersion, expectedUrl()}));
        QVERIFY(takeQuitTimer());
    }

    void checkUpdatesWithoutUpdaterKeepsRunning()
    {
        platform.nextUpdaterResult = Platform::StartResult{false, QStringLiteral("The updater was not found.")};
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("The updater was not found")));
        QVERIFY(QMetaObject::invokeMethod(window, "checkUpdates"));
        QCOMPARE(platform.updaterStarts.size(), 1);
        QVERIFY(!window->findChild<QTimer *>(QStringLiteral("updateQuitTimer")));
    }

    void confirmationBox()
    {
        SeenBox seen;
        onNextMessageBox(&seen, [](QMessageBox *box) { clickButton(box, QStringLiteral("Cancel")); });
        QVERIFY(QMetaObject::invokeMethod(window, "showUpdateWindow"));
        QVERIFY(seen.seen);
        QCOMPARE(seen.title, QStringLiteral("Updates - Zarvel ") + edition());
        QCOMPARE(seen.text, QStringLiteral("Please be advised that the Zarvel will be closed during the update\n"
                                           "and will automatically reopen once the update is complete."));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.modality, Qt::WindowModal);
        QVERIFY(!seen.contextHelp);
        QCOMPARE(seen.buttonTexts, (QStringList{"  Check for Updates  ", "Cancel"}));
    }

    void answersToTheBox_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("handsOver");
        QTest::newRow("Cancel") << "Cancel" << false;
        QTest::newRow("Escape") << "" << false;
        QTest::newRow("closed") << "close" << false;
        QTest::newRow("Check for Updates") << "  Check for Updates  " << true;
    }
    void answersToTheBox()
    {
        QFETCH(QString, answer);
        QFETCH(bool, handsOver);
        SeenBox seen;
        onNextMessageBox(&seen, [answer](QMessageBox *box) {
            if (answer.isEmpty())
                QTest::keyClick(box, Qt::Key_Escape);
            else if (answer == QLatin1String("close"))
                box->close();
            else
                clickButton(box, answer);
        });
        QVERIFY(QMetaObject::invokeMethod(window, "showUpdateWindow"));
        QVERIFY(seen.seen);
        QCOMPARE(platform.updaterStarts.size(), handsOver ? 1 : 0);
        QCOMPARE(takeQuitTimer(), handsOver);
        if (handsOver)
            QCOMPARE(platform.updaterStarts.first(), (QStringList{QDir::currentPath(), appVersion, expectedUrl()}));
    }

    // Asked from the tray, a missing updater is said, not silently ignored,
    // and Zarvel keeps running.
    void missingUpdaterIsReported()
    {
        const QString error = QStringLiteral("The updater /x/zvUpdtr was not found.");
        platform.nextUpdaterResult = Platform::StartResult{false, error};
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("zvUpdtr was not found")));
        SeenBox confirmation;
        SeenBox failure;
        onNextMessageBox(&confirmation, [this, &failure](QMessageBox *box) {
            onNextMessageBox(&failure, [](QMessageBox *second) { second->accept(); });
            clickButton(box, QStringLiteral("  Check for Updates  "));
        });
        QVERIFY(QMetaObject::invokeMethod(window, "showUpdateWindow"));
        QVERIFY(confirmation.seen);
        QVERIFY(failure.seen);
        QCOMPARE(platform.updaterStarts.size(), 1);
        QVERIFY(!takeQuitTimer());
        QCOMPARE(failure.title, QStringLiteral("Updates - Zarvel ") + edition());
        QVERIFY2(failure.text.startsWith(error), qPrintable(failure.text));
        QCOMPARE(failure.icon, QMessageBox::Warning);
        QVERIFY(!failure.contextHelp);
    }
};

ZARVEL_TEST_MAIN(TestUpdates)
#include "tst_updates.moc"

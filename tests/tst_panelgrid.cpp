// The panel window's form and its grid: sizes, edition, and how each button
// is drawn from buttons.json.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "buttons/buttonstyle.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"
#include "tests/support/testpanel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

class TestPanelGrid : public QObject
{
    Q_OBJECT

private:
    FakePlatform platform;
    TestPanel panel;
    MainWindow *window = nullptr;
    QString program;
    QString picture;

    static QString quoted(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

    static QJsonObject button(const QString &path, const QString &icon, const QString &title = QString(),
                              const QString &background = QStringLiteral("#000000"))
    {
        return QJsonObject{{QStringLiteral("path"), path},
                           {QStringLiteral("icon"), icon},
                           {QStringLiteral("title"), title},
                           {QStringLiteral("background"), background},
                           {QStringLiteral("folder"), QJsonValue::Null}};
    }

    void redrawFrom(const QJsonObject &root)
    {
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
    }

private slots:
    void initTestCase()
    {
        window = panel.open(&platform);

        program = sandbox::writeProgram(sandbox::home() + QStringLiteral("/bin/tool"));
        QVERIFY(!program.isEmpty());
        picture = sandbox::home() + QStringLiteral("/pictures/logo.png");
        QVERIFY(sandbox::writeFile(picture, sandbox::readFile(QStringLiteral(":/res/zarvel-logo.png"))));
        for (const char *pipe : {"/pictures/pipe", "/pictures/pipe.desktop"})
            QCOMPARE(::mkfifo(QFile::encodeName(sandbox::home() + QLatin1String(pipe)).constData(), 0600), 0);
    }

    void windowIsAFixedSizeFramelessToolWindow()
    {
        const int rows = (buttonCount + 1) / 2;
        QCOMPARE(window->size(), QSize(104, rows * 45 + 76));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        if (buttonCount == 2)
            QCOMPARE(window->size(), QSize(104, 121));
        if (buttonCount == 12)
            QCOMPARE(window->size(), QSize(104, 346));
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::Tool));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window->windowTitle(), QStringLiteral("MainWindow"));
        QVERIFY(!window->windowIcon().isNull());
        QVERIFY(!window->isVisible());
    }

    void editionFollowsTheButtonCount()
    {
        const QString expected = buttonCount == 2 ? QStringLiteral("Lite")
                                 : buttonCount == 12 ? QStringLiteral("Original")
                                 : buttonCount == 20 ? QStringLiteral("Deluxe")
                                                     : QString();
        QCOMPARE(configValue(QStringLiteral("type")).toString(), expected);
        QVERIFY(configValue(QStringLiteral("no such key")).isUndefined());

        const auto *label = window->findChild<QLabel *>(QStringLiteral("label"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Zarvel"));
        QCOMPARE(label->font().pointSize(), expected == QLatin1String("Lite") ? 12 : 18);
        QCOMPARE(appVersion, QStringLiteral("1.5.0"));
    }

    void gridButtonsAreNumberedInTheGreyBox()
    {
        // The click handler reads the number back from the object name.
        for (int i = 0; i < buttonCount; ++i) {
            QCOMPARE(panelButtons[i]->objectName(), QString::number(i + 1));
            QCOMPARE(panelButtons[i]->parentWidget()->objectName(), QStringLiteral("groupBox"));
        }
    }

    void drawsEachButton_data()
    {
        QTest::addColumn<QJsonObject>("stored");
        QTest::addColumn<bool>("hasIcon");
        QTest::addColumn<QSize>("iconSize");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("colour");

        const QString noIcon;
        QTest::newRow("unset, even with an icon")
            << button(QString(), quoted(picture)) << false << QSize() << "Click to set an application"
            << "#000000";
        QTest::newRow("program with its own icon")
            << button(quoted(program), quoted(program), QStringLiteral("Tool")) << true << QSize(32, 32) << "Tool"
            << "#000000";
        QTest::newRow("quoted program with arguments")
            << button(quoted(program) + QStringLiteral(" --verbose"), quoted(program)) << true << QSize(32, 32)
            << "Click to set an application"
            << "#000000";
        QTest::newRow("picture") << button(quoted(program), quoted(picture), QStringLiteral("Pic"), "red") << true
                                 << QSize(30, 30) << "Pic"
                                 << "red";
        QTest::newRow("picture without quotes")
            << button(quoted(program), picture) << true << QSize(30, 30) << "Click to set an application"
            << "#000000";
        QTest::newRow("folder") << button(QStringLiteral("Folder"), QStringLiteral(":/res/folder.png"), "Folder")
                                << true << QSize(30, 30) << "Folder"
                                << "#000000";
        QTest::newRow("further dot is not exe")
            << button(quoted(program), QStringLiteral("\"/opt/tool.portable.exe\"")) << false << QSize(30, 30)
            << "Click to set an application"
            << "#000000";
        QTest::newRow("upper-case EXE is a picture")
            << button(quoted(program), QStringLiteral("\"/opt/TOOL.EXE\"")) << false << QSize(30, 30)
            << "Click to set an application"
            << "#000000";
        // Read as a picture, either would hold the panel for ever.
        QTest::newRow("named pipe") << button(quoted(program), sandbox::home() + QStringLiteral("/pictures/pipe"))
                                    << false << QSize(30, 30) << "Click to set an application"
                                    << "#000000";
        QTest::newRow("named pipe called .desktop")
            << button(quoted(program), sandbox::home() + QStringLiteral("/pictures/pipe.desktop")) << false
            << QSize(30, 30) << "Click to set an application"
            << "#000000";
        QTest::newRow("device") << button(quoted(program), QStringLiteral("/dev/zero")) << false << QSize(30, 30)
                                << "Click to set an application"
                                << "#000000";
        QTest::newRow("icon set, none named") << button(quoted(program), noIcon) << false << QSize()
                                              << "Click to set an application"
                                              << "#000000";
        QTest::newRow("five hex digits is no colour")
            << button(quoted(program), noIcon, QString(), "#12345") << false << QSize() << "Click to set an application"
            << "#000000";
        QTest::newRow("missing members") << QJsonObject() << false << QSize() << "Click to set an application"
                                         << "#000000";
    }
    void drawsEachButton()
    {
        QFETCH(QJsonObject, stored);
        QFETCH(bool, hasIcon);
        QFETCH(QSize, iconSize);
        QFETCH(QString, toolTip);
        QFETCH(QString, colour);

        // A known icon size first, to see whether the drawing sets one.
        QPushButton *b = panelButtons[buttonCount - 1];
        b->setIconSize(QSize(7, 7));
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), stored);
        redrawFrom(root);

        QCOMPARE(!b->icon().isNull(), hasIcon);
        QCOMPARE(b->iconSize(), iconSize.isValid() ? iconSize : QSize(7, 7));
        QCOMPARE(b->toolTip(), toolTip);
        QCOMPARE(b->styleSheet(), buttonStyleSheet(colour));
        QCOMPARE(buttonPaths.at(buttonCount - 1), stored.value(QStringLiteral("path")).toString());
    }

    void styleSheetTemplate()
    {
        QCOMPARE(buttonStyleSheet(QStringLiteral("#000000")),
                 QStringLiteral("QPushButton{min-width: 40px; min-height: 40px; max-width: 40px; max-height: "
                                "40px;background-color: #000000;border: 1px solid #000000;border-radius: "
                                "3px;}QPushButton:hover{background-color: rgb(226, 230, 233);}"));
    }

    void extraMembersAreNotShown()
    {
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), button(quoted(program), QString(), QStringLiteral("last")));
        root.insert(buttonKey(buttonCount + 1), button(quoted(program), QString(), QStringLiteral("beyond")));
        redrawFrom(root);
        QCOMPARE(panelButtons[buttonCount - 1]->toolTip(), QStringLiteral("last"));
    }

    void shortOrHostileLevelsDrawAsUnsetButtons_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty object") << QByteArray("{}");
        QTest::newRow("one button") << QByteArray("{\"Button01\": {\"path\": \"\\\"/bin/true\\\"\"}}");
        QTest::newRow("wrong types")
            << QByteArray("{\"Button01\": [1, 2], \"Button02\": 3, \"Button03\": null,"
                          " \"Button04\": {\"path\": 5, \"icon\": {}, \"title\": [], \"background\": false}}");
        QTest::newRow("array") << QByteArray("[{\"path\": \"x\"}]");
        QTest::newRow("not JSON") << QByteArray("\x01\x02");
    }
    void shortOrHostileLevelsDrawAsUnsetButtons()
    {
        QFETCH(QByteArray, content);
        QVERIFY(sandbox::writeFile(buttonsFilePath(), content));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
        QVERIFY(buttonPaths.size() >= buttonCount);
        for (int i = 1; i < buttonCount; ++i) {
            QVERIFY(buttonPaths.at(i).isEmpty());
            QVERIFY(panelButtons[i]->icon().isNull());
            QCOMPARE(panelButtons[i]->styleSheet(), buttonStyleSheet(QStringLiteral("#000000")));
        }
    }

    void getRealPath_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("real");
        QTest::newRow("quoted") << "\"C:/Tools/app.exe\"" << "C:/Tools/app.exe";
        QTest::newRow("quoted with arguments") << "\"/usr/bin/app\" --new -x" << "/usr/bin/app";
        QTest::newRow("no quotes") << "/usr/bin/app" << "/usr/bin/app";
        QTest::newRow("empty quotes first") << "\"\"/usr/bin/app\"" << "\"\"/usr/bin/app\"";
        QTest::newRow("opening quote only") << "\"/usr/bin/app" << "\"/usr/bin/app";
        QTest::newRow("quote further in") << "x \"/usr/bin/app\"" << "x \"/usr/bin/app\"";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("one quote") << "\"" << "\"";
    }
    void getRealPath()
    {
        QFETCH(QString, stored);
        QFETCH(QString, real);
        QString result;
        QVERIFY(QMetaObject::invokeMethod(window, "getRealPath", Q_RETURN_ARG(QString, result),
                                          Q_ARG(QString, stored)));
        QCOMPARE(result, real);
    }
};

ZARVEL_TEST_MAIN(TestPanelGrid)
#include "tst_panelgrid.moc"

// The panel on a scripted system: what a level draws, where a click goes, what an assignment writes, and when the
// trigger shows the panel.
#include "app/style.h"
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "panel/panelstate.h"
#include "panel/placement.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/modal.h"
#include "tests/support/sandbox.h"

#include <QAction>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWindow>
#include <QtTest>

Q_DECLARE_METATYPE(ScreenArea)

static QJsonObject button(
    const QString &path, const QString &title, const QJsonValue &folder = QJsonValue::Null, const QString &icon = "")
{
    return QJsonObject { { pathMember, path }, { titleMember, title }, { backgroundMember, "#123456" },
        { folderMember, folder }, { iconMember, icon } };
}

class TestPanelWindow : public QObject {
    Q_OBJECT

    FakePlatform platform;
    TestPanel panel { &platform };
    MainWindow &window = *panel.window;
    QString file = sandbox::writeProgram(sandbox::home() + "/bin/my tool");

    void use(const QJsonObject &root)
    {
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        PanelAccess::redraw(window);
    }
    void click(int n, const QString &chosen = QString())
    {
        if (!chosen.isNull())
            onNextModal<QFileDialog>([chosen](QFileDialog *dialog) {
                dialog->findChild<QLineEdit *>("fileNameEdit")->setText(chosen); // selectFile() leaves a focused field
                static_cast<QDialog *>(dialog)->accept();
            });
        panelButtons[n - 1]->click();
    }
    QJsonValue stored(const QString &dottedPath)
    {
        QJsonValue value = readButtonsObject(buttonsFilePath());
        for (const QString &key : dottedPath.split('.'))
            value = value.toObject().value(key);
        return value;
    }

private slots:
    // Slot NN is ButtonNN, whatever else a level holds; a member that sorts first must not shift the grid or the
    // assignment.
    void slotsAreKeys()
    {
        QJsonObject root = defaultButtonsLevel();
        root.insert("$schema", "https://example.org/buttons.json");
        root.insert(buttonKey(1), button(QString(), "empty1"));
        root.insert(buttonKey(buttonCount), QJsonObject { { titleMember, "last" }, { backgroundMember, "no colour" } });
        use(root);
        QCOMPARE(panelButtons[0]->toolTip() + panelButtons[buttonCount - 1]->toolTip(), "empty1last");
        QVERIFY(panelButtons[buttonCount - 1]->styleSheet().contains("#000000"));
        click(buttonCount, file);
        QCOMPARE(stored(buttonKey(buttonCount) + ".path").toString(), quoteStoredPath(file));
    }

    // A button without an icon shows its target's own, never an empty square: a program found in PATH, a document, a
    // folder; so does one whose icon cannot be read or names nothing in the icon theme. Its tool tip is its title, else
    // what it starts.
    void buttonsExplainThemselves_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("tip");
#ifdef Q_OS_WIN
        const QString notes = "notes 1.txt"; // Windows has no quotes in file names
#else
        const QString notes = "notes \"1\".txt";
#endif
        const QString doc = sandbox::home() + '/' + notes, none;
        QVERIFY(sandbox::writeFile(doc, "notes\n"));
        QTest::newRow("program in PATH") << QString("sh -c true") << none << none << QString("sh");
        QTest::newRow("document") << quoteStoredPath(doc) << none << none << notes;
        QTest::newRow("folder button") << folderMarker << none << QString("Games") << QString("Games");
        QTest::newRow("directory") << quoteStoredPath(sandbox::home()) << none << none
                                   << QFileInfo(sandbox::home()).fileName();
        QTest::newRow("unreadable picture") << quoteStoredPath(doc) << QString("/no/such.png") << none << notes;
        QTest::newRow("no such theme icon") << QString("sh") << QString("no-such-zarvel-icon") << none << QString("sh");
        QTest::newRow("unset") << none << none << none << QString("Click to set an application");
    }
    void buttonsExplainThemselves()
    {
        QFETCH(QString, path);
        QFETCH(QString, icon);
        QFETCH(QString, title);
        QFETCH(QString, tip);
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(1), button(path, title, QJsonValue::Null, icon));
        use(root);
        QCOMPARE(panelButtons[0]->toolTip(), tip);
        const QImage shown = panelButtons[0]->icon().pixmap(32).toImage();
        QCOMPARE(shown.isNull(), path.isEmpty());
        const QIcon folder = ButtonIcons().icon(folderMarker, ":/res/folder.png", QFileIconProvider()).icon;
        QCOMPARE(
            shown == folder.pixmap(32).toImage(), path == folderMarker || path == quoteStoredPath(sandbox::home()));
    }

    // A folder whose level is null behaves as it is drawn: Back and unset buttons; Back goes up one level; an
    // assignment creates the level.
    void foldersBehaveAsDrawn()
    {
        if (buttonCount < 2)
            QSKIP("folders need two buttons");
        QJsonObject root = defaultButtonsLevel();
        root.insert(
            buttonKey(2), button("Folder", "outer", QJsonObject { { buttonKey(2), button("Folder", "inner") } }));
        use(root);
        click(2);
        click(2);
        QCOMPARE(PanelAccess::folders(window), FolderPath({ 2, 2 }));
        QCOMPARE(panelButtons[0]->toolTip() + panelButtons[1]->toolTip(), "BackClick to set an application");
        click(2, file);
        QCOMPARE(stored("Button02.folder.Button02.folder.Button02.path").toString(), quoteStoredPath(file));
        QCOMPARE(stored("Button02.folder.Button02.title").toString(), QStringLiteral("inner"));
        click(1);
        QCOMPARE(PanelAccess::folders(window), FolderPath({ 2 }));
    }

    // The panel follows the file as other programs change it, also once its folder was made again or it was replaced
    // while held open; a click never starts what the file no longer holds, and acts once the panel has followed it.
    void followsTheFile_data()
    {
        QTest::addColumn<int>("before"); // 1: the folder removed and made again, 2: the file held open
        QTest::newRow("saved") << 0;
        QTest::newRow("folder made again") << 1;
        if (QSysInfo::kernelType() != "winnt") // where no file another program holds open is replaced
            QTest::newRow("replaced while held open") << 2;
    }
    void followsTheFile()
    {
        QFETCH(int, before);
        platform.startedTargets.clear();
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(1), button("old", "old"));
        use(root);
        root.insert(buttonKey(1), button("new", "new"));
        QVERIFY(sandbox::writeFile(buttonsFilePath(), QJsonDocument(root).toJson()));
        click(1);
        QVERIFY(platform.startedTargets.isEmpty() && panelButtons[0]->toolTip() == "new");
        const QString folder = QFileInfo(buttonsFilePath()).absolutePath();
        QFile held(buttonsFilePath());
        QVERIFY(before != 1 || QDir(folder).removeRecursively());
        QTRY_VERIFY(before != 1 || panelButtons[0]->toolTip() != "new"); // seen gone
        QVERIFY(before != 1 || QDir().mkpath(folder));
        QVERIFY(before != 2 || held.open(QIODevice::ReadOnly));
        root.insert(buttonKey(1), button("newer", "newer"));
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        QTRY_COMPARE(panelButtons[0]->toolTip(), QStringLiteral("newer"));
        root.insert(buttonKey(1), button("newest", "newest"));
        QVERIFY(sandbox::writeFile(buttonsFilePath(), QJsonDocument(root).toJson()));
        QTRY_COMPARE(panelButtons[0]->toolTip(), QStringLiteral("newest"));
        click(1);
        QCOMPARE(platform.startedTargets, QStringList { "newest" });
    }

    // The focus on a shown panel changes nothing drawn until a key is used; then a mark shows where the keys reach,
    // until the panel shows again. A digit beyond the last button does nothing.
    void keysMarkTheFocus()
    {
        use(defaultButtonsLevel());
        platform.startedTargets.clear();
        const QImage plain = window.grab().toImage();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.grab().toImage(), plain);
        QTest::keyClick(panelButtons[0], Qt::Key_Right);
        QCOMPARE(window.focusWidget(), panelButtons[1]);
        const QImage marked = window.grab().toImage();
        const QRect second(panelButtons[1]->mapTo(&window, QPoint()), panelButtons[1]->size());
        QVERIFY(marked.copy(second) != plain.copy(second));
        if (buttonCount < 10)
            QTest::keyClick(panelButtons[1], Qt::Key(Qt::Key_0 + (buttonCount + 1) % 10));
        QVERIFY(platform.startedTargets.isEmpty());
        window.hide();
        window.show();
        QCOMPARE(window.grab().toImage(), plain);
        // The first key, one that finds no title, marks where the keys start.
        QTest::keyClick(&window, '~');
        QCOMPARE(window.focusWidget(), panelButtons[0]);
        QVERIFY(window.grab().toImage() != plain);
        window.hide();
    }

    // The tray tells why a target did not start in a few hundred characters, however long its path, keeping the path's
    // start and end.
    void failureToldInShort()
    {
        const QString path = "/start" + QString(1000000, 'x') + "end";
        use(QJsonObject { { buttonKey(1), button(path, "long") } });
        platform.startError = "the file " + path + " does not exist";
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression("^Zarvel: (?=.{0,400}$)startx+\u2026x+end could not be started: the file "
                               "/startx+\u2026x+end does not exist\\.$"));
        click(1);
        platform.startError.clear();
    }

    // One tick from a hidden panel at (50, 60), then one with the dialog closed. A press without Alt, or made while a
    // dialog is open (window-modal too), is consumed, so it cannot combine with a later Alt (as Alt+F4 closing it).
    void trigger_data()
    {
        QTest::addColumn<bool>("rightPressed");
        QTest::addColumn<bool>("altDown");
        QTest::addColumn<int>("modal"); // 1: the settings editor, 2: any other dialog
        QTest::addColumn<bool>("trick");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("events"); // "--no-poll": the press itself calls
        const QStringList tap { "alt-down", "sleep 10", "alt-up" };
        for (bool events : { false, true }) {
            const char *mode = events ? " on its event" : "";
            QTest::addRow("X11 chord%s", mode) << true << true << 0 << false << QStringList { "show" } << events;
            QTest::addRow("Windows chord%s", mode)
                << true << true << 0 << true << tap + QStringList { "show", "sleep 200" } + tap << events;
            QTest::addRow("Alt alone%s", mode) << false << true << 0 << false << QStringList() << events;
            QTest::addRow("right without Alt%s", mode) << true << false << 0 << false << QStringList() << events;
            QTest::addRow("editor open%s", mode) << true << true << 1 << false << QStringList() << events;
            QTest::addRow("dialog open%s", mode) << true << true << 2 << false << QStringList() << events;
        }
    }
    void trigger()
    {
        QFETCH(bool, rightPressed);
        QFETCH(bool, altDown);
        QFETCH(int, modal);
        QFETCH(bool, trick);
        QFETCH(QStringList, calls);
        QFETCH(bool, events);
        PanelAccess::setPolling(window, !events);
        enableAction->trigger(); // off and on again: the trigger watches or polls anew
        enableAction->trigger();
        settingsOpen = modal == 1;
        QDialog dialog;
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setVisible(modal == 2);
        window.hide();
        window.move(50, 60);
        platform.calls.clear();
        platform.foregroundTrick = trick;
        platform.pointer = QPoint(120, 80);
        platform.rightPressed = rightPressed;
        platform.altDown = altDown;
        window.winId(); // "show" joins the record where the window appears
        const auto shown
            = connect(window.windowHandle(), &QWindow::visibleChanged, [this] { platform.calls << "show"; });
        if (!events)
            PanelAccess::tick(window);
        else if (rightPressed)
            platform.rightPresses();
        settingsOpen = false;
        dialog.hide();
        PanelAccess::tick(window);
        disconnect(shown);
        QCOMPARE(platform.calls, calls);
        QCOMPARE(window.pos(), calls.isEmpty() ? QPoint(50, 60) : QPoint(120, 80));
    }

    // The pointer comes in device pixels; the panel (200 x 300 logical) opens at it on the screen under it, pulled
    // inside that screen.
    void placement_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QVector<ScreenArea>>("screens");
        QTest::addColumn<QPoint>("expected");
        const auto screen = [](QRect geometry, qreal ratio, QRect available = QRect()) {
            return ScreenArea { geometry, available.isNull() ? geometry : available, ratio };
        };
        const ScreenArea main = screen({ 0, 0, 1920, 1080 }, 1, { 0, 0, 1920, 1040 });
        const ScreenArea scaled = screen({ 1920, 0, 1280, 720 }, 2), left = screen({ -1280, 0, 1280, 1024 }, 1);
        QTest::newRow("bottom right corner") << QPoint(1900, 1070) << QVector { main } << QPoint(1720, 740);
        QTest::newRow("bars") << QPoint(10, 10) << QVector { screen(main.geometry, 1, { 70, 40, 1850, 1000 }) }
                              << QPoint(70, 40);
        QTest::newRow("scale 2") << QPoint(1000, 700) << QVector { screen({ 0, 0, 960, 540 }, 2) } << QPoint(500, 240);
        QTest::newRow("scale 1.5") << QPoint(1500, 899) << QVector { screen({ 0, 0, 1280, 720 }, 1.5) }
                                   << QPoint(1000, 420);
        QTest::newRow("second screen at 2") << QPoint(3000, 100) << QVector { main, scaled } << QPoint(2460, 50);
        QTest::newRow("its far corner") << QPoint(4479, 1439) << QVector { main, scaled } << QPoint(3000, 420);
        QTest::newRow("stacked above") << QPoint(100, -50) << QVector { main, screen({ 0, -1080, 960, 540 }, 2) }
                                       << QPoint(50, -840);
        QTest::newRow("left of the primary") << QPoint(-30, 900) << QVector { main, left } << QPoint(-200, 724);
        QTest::newRow("off every screen") << QPoint(5000, 5000) << QVector { main, left } << QPoint(1720, 740);
    }
    void placement()
    {
        QFETCH(QPoint, pointer);
        QFETCH(QVector<ScreenArea>, screens);
        QFETCH(QPoint, expected);
        QCOMPARE(panelTopLeft(pointer, QSize(200, 300), screens), expected);
    }

    // The panel's box (no title) and the editor's (titled) framed as Fusion frames them, to the pixel.
    void groupBoxFrameAsFusionDrawsIt()
    {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("fusion"))), own(fusionStyle());
        for (const QString &title : { QString(), QStringLiteral("Title") }) {
            QGroupBox box(title);
            box.resize(120, 90);
            QStyleOptionFrame option;
            option.initFrom(&box);
            QImage drawn[3];
            for (int i = 0; i < 3; ++i) {
                drawn[i] = QImage(box.size(), QImage::Format_ARGB32);
                drawn[i].fill(Qt::white);
                QPainter painter(&drawn[i]);
                if (i < 2)
                    (i ? own : fusion)->drawPrimitive(QStyle::PE_FrameGroupBox, &option, &painter, &box);
            }
            QVERIFY(drawn[0] != drawn[2] && drawn[0] == drawn[1]);
        }
    }

    // A redraw gives a grid button the icon it asks for, also after an icon was set past showIcon() (as the editor
    // may).
    void gridButtonShowsTheIconAskedFor()
    {
        GridButton grid;
        QPixmap pictures[2] = { QPixmap(30, 30), QPixmap(30, 30) };
        pictures[0].fill(Qt::yellow);
        pictures[1].fill(Qt::darkGreen);
        const ButtonIcon looks[2]
            = { { QIcon(pictures[0]), QSize(30, 30), 1 }, { QIcon(pictures[1]), QSize(30, 30), 2 } };
        const auto shows = [&grid](const ButtonIcon &look) {
            grid.showIcon(look);
            return grid.icon().cacheKey() == look.icon.cacheKey();
        };
        QVERIFY(shows(looks[0]));
        QVERIFY(shows(looks[1]));
        grid.setIcon(looks[0].icon);
        QVERIFY(shows(looks[1]));
        grid.showIcon({});
        QVERIFY(grid.icon().isNull());
    }
};

ZARVEL_TEST_MAIN(TestPanelWindow)
#include "tst_panel.moc"

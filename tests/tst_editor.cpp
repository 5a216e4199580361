// The settings editor driven as a user drives it: the real dialog, its grid,
// fields, file and colour dialogs, folders, and what reaches buttons.json.
#include "app/config.h"
#include "editor/editorstate.h"
#include "editor/moresettings.h"
#include "panel/buttonsfile.h"
#include "panel/buttonstyle.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "platform/fakeplatform.h"
#include "tests/support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QProcess>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

QString quoted(const QString &path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QJsonObject button(const QString &path, const QString &icon, const QString &title, const QString &background,
    const QJsonValue &folder = QJsonValue::Null)
{
    return QJsonObject { { QStringLiteral("path"), path }, { QStringLiteral("icon"), icon },
        { QStringLiteral("title"), title }, { QStringLiteral("background"), background },
        { QStringLiteral("folder"), folder } };
}

// A value of the editor's document by dotted path, read without the editor.
QJsonValue stored(const QString &path)
{
    QJsonValue value = jsonDocument.object();
    for (const QString &key : path.split(QLatin1Char('.')))
        value = value.toObject().value(key);
    return value;
}

QJsonObject fileObject()
{
    return QJsonDocument::fromJson(sandbox::readFile(buttonsFilePath())).object();
}

// Runs `action` on the next modal dialog of type T once it is up. The
// static file and colour dialogs block in exec(), so this is how a test
// reaches them. Deleting the returned timer calls the watch off.
template<typename T> QPointer<QTimer> onNextModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        T *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
    return timer;
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private:
    FakePlatform platform;
    MainWindow *window = nullptr;
    std::unique_ptr<moreSettings> dialog;
    QString program;
    QString picture;

    QJsonObject standardDocument() const
    {
        QJsonObject root = defaultButtonsLevel();
        root.insert(
            buttonKey(1), button(quoted(program), quoted(program), QStringLiteral("Tool"), QStringLiteral("#000000")));
        root.insert(buttonKey(2), button(QString(), QString(), QStringLiteral("Second"), QStringLiteral("red")));
        return root;
    }

    // A new dialog on `root` as the file, shown and ready.
    void open(const QJsonObject &root)
    {
        dialog.reset();
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        dialog.reset(new moreSettings);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QLineEdit *field(const char *name) const { return dialog->findChild<QLineEdit *>(QLatin1String(name)); }
    QPushButton *pushButton(const char *name) const { return dialog->findChild<QPushButton *>(QLatin1String(name)); }
    QPushButton *boxButton(QDialogButtonBox::StandardButton which) const
    {
        return dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(which);
    }
    QString heading() const { return dialog->findChild<QLabel *>(QStringLiteral("label_title"))->text(); }
    static QPushButton *grid(int position) { return editorButtons[position - 1]; }

    static void click(int position) { QTest::mouseClick(grid(position), Qt::LeftButton); }
    // What the window system delivers for a double-click: a click, then a
    // press followed by the double-click event, then the release.
    static void doubleClick(int position)
    {
        QTest::mouseClick(grid(position), Qt::LeftButton);
        QTest::mousePress(grid(position), Qt::LeftButton);
        QTest::mouseDClick(grid(position), Qt::LeftButton);
        QTest::mouseRelease(grid(position), Qt::LeftButton);
    }
    static void enter(int position)
    {
        const QPointF inside(5, 5);
        QEnterEvent event(inside, inside, grid(position)->mapToGlobal(inside.toPoint()));
        QCoreApplication::sendEvent(grid(position), &event);
    }
    static void dragWithinWindow(int from, int to)
    {
        QTest::mousePress(grid(from), Qt::LeftButton);
        QTest::mouseRelease(grid(from), Qt::LeftButton);
        enter(to);
    }

private slots:
    void initTestCase()
    {
        // Generic dialogs are the ones a test can fill in.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        Platform::setInstance(&platform);
        firstArgument = QStringLiteral("-checkupdate");
        window = new MainWindow;

        program = sandbox::home() + QStringLiteral("/bin/tool");
        QVERIFY(sandbox::writeFile(program, "#!/bin/sh\n"));
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
        picture = sandbox::home() + QStringLiteral("/pictures/logo.png");
        QVERIFY(sandbox::writeFile(picture, sandbox::readFile(QStringLiteral(":/res/zarvel-logo.png"))));
    }

    void init()
    {
        folderPrefix.clear();
        open(standardDocument());
    }

    void cleanup()
    {
        dialog.reset();
        if (QFileInfo(buttonsFilePath()).isDir())
            QDir(buttonsFilePath()).removeRecursively();
    }

    void cleanupTestCase()
    {
        delete window;
        Platform::setInstance(nullptr);
    }

    void windowAndGrid()
    {
        const QString edition = configValue(QStringLiteral("type")).toString();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Settings - Zarvel ") + edition);
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
        QCOMPARE(dialog->objectName(), QStringLiteral("moreSettings"));

        // Rows of two, like the panel.
        const auto *box = dialog->findChild<QGroupBox *>(QStringLiteral("groupBox_btn"));
        const int rows = (buttonCount + 1) / 2;
        QCOMPARE(box->minimumSize(), QSize(92, 45 * rows));
        QCOMPARE(box->maximumSize(), QSize(92, 45 * rows));
        for (int n = 1; n <= buttonCount; ++n) {
            QCOMPARE(grid(n)->parentWidget(), box);
            QCOMPARE(grid(n)->objectName(), QString::number(n));
            QCOMPARE(grid(n)->focusPolicy(), Qt::NoFocus);
            QCOMPARE(grid(n)->toolTip(), QStringLiteral("Click to edit button ") + QString::number(n));
            // Odd positions start a row.
            if (n % 2 == 0)
                QCOMPARE(grid(n)->y(), grid(n - 1)->y());
            else if (n > 1)
                QVERIFY(grid(n)->y() > grid(n - 1)->y());
        }

        // The grid is drawn with the panel's rule.
        QCOMPARE(grid(1)->iconSize(), QSize(32, 32));
        QVERIFY(!grid(1)->icon().isNull());
        QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(QStringLiteral("red")));
        QVERIFY(grid(2)->icon().isNull());

        // Position 1 starts selected.
        QCOMPARE(selectedButton, 1);
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
    }

    void formTexts_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("path label") << "label"
                                    << "Path"
                                    << "";
        QTest::newRow("title label") << "label_2"
                                     << "Title"
                                     << "";
        QTest::newRow("icon label") << "label_5"
                                    << "Icon Path"
                                    << "";
        QTest::newRow("colour label") << "label_3"
                                      << "Background Color (HEX)"
                                      << "";
        QTest::newRow("browse path") << "pushButton_browsePath"
                                     << "Browse..."
                                     << "";
        QTest::newRow("set to folder") << "pushButton_setToFolder"
                                       << ""
                                       << "Set to folder";
        QTest::newRow("clear path") << "pushButton_clear_path"
                                    << "X"
                                    << "Clear Path";
        QTest::newRow("clear title") << "pushButton_clear_title"
                                     << "X"
                                     << "Clear Title";
        QTest::newRow("browse icon") << "pushButton_browseIcon"
                                     << "Browse..."
                                     << "";
        QTest::newRow("clear icon") << "pushButton_clear_icon"
                                    << "X"
                                    << "Clear Icon Path";
        QTest::newRow("colour picker") << "pushButton_colorPicker"
                                       << "Color Picker"
                                       << "";
        QTest::newRow("clear colour") << "pushButton_clear_bgr"
                                      << "X"
                                      << "Reset Background Color";
    }
    void formTexts()
    {
        QFETCH(QString, object);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        auto *widget = dialog->findChild<QWidget *>(object);
        QVERIFY(widget);
        QCOMPARE(widget->property("text").toString(), text);
        QCOMPARE(widget->toolTip(), toolTip);
        // Tabbing reaches the fields, never the buttons beside them.
        if (qobject_cast<QPushButton *>(widget))
            QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    }

    void selectionFillsHeadingAndFields()
    {
        click(2);
        QCOMPARE(selectedButton, 2);
        QCOMPARE(heading(), QStringLiteral("Button 2 Settings"));
        QCOMPARE(field("lineEdit_url")->text(), QString());
        QCOMPARE(field("lineEdit_title")->text(), QStringLiteral("Second"));
        QCOMPARE(field("lineEdit_background")->text(), QStringLiteral("red"));

        // Shown as stored: quotes included.
        click(1);
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
        QCOMPARE(field("lineEdit_url")->text(), quoted(program));
        QCOMPARE(field("lineEdit_icon")->text(), quoted(program));
        QCOMPARE(field("lineEdit_title")->text(), QStringLiteral("Tool"));
        QVERIFY(field("lineEdit_url")->isEnabled());

        // Selecting wrote nothing new to the buttons.
        QCOMPARE(jsonDocument.object(), standardDocument());
    }

    void missingBackgroundIsDrawnBlackAndKept()
    {
        QJsonObject root = standardDocument();
        QJsonObject second = root.value(buttonKey(2)).toObject();
        second.remove(QStringLiteral("background"));
        root.insert(buttonKey(2), second);
        open(root);
        QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(QStringLiteral("#000000")));
        QCOMPARE(stored(buttonKey(2) + QStringLiteral(".background")).toString(), QStringLiteral("#000000"));
    }

    void typingWritesTheDocument_data()
    {
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QString>("member");
        QTest::newRow("path") << "lineEdit_url"
                              << "path";
        QTest::newRow("title") << "lineEdit_title"
                               << "title";
        QTest::newRow("icon") << "lineEdit_icon"
                              << "icon";
        QTest::newRow("background") << "lineEdit_background"
                                    << "background";
    }
    void typingWritesTheDocument()
    {
        QFETCH(QString, fieldName);
        QFETCH(QString, member);
        click(2);
        QLineEdit *edit = field(qPrintable(fieldName));
        edit->clear();
        // "#abc" is a colour at every length the document sees it whole.
        const QString typed = QStringLiteral("#abc");
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(edit, typed.at(i).toLatin1());
            const QString shown = typed.left(i + 1);
            QCOMPARE(edit->text(), shown);
            const QString expected = member == QLatin1String("background") && !QColor::isValidColor(shown)
                ? QStringLiteral("#000000")
                : shown;
            QCOMPARE(stored(buttonKey(2) + QLatin1Char('.') + member).toString(), expected);
        }
        // Only the selected button changed.
        QCOMPARE(jsonDocument.object().value(buttonKey(1)), standardDocument().value(buttonKey(1)));
    }

    void pathAndIconRedrawTheGrid()
    {
        click(2);
        QVERIFY(grid(2)->icon().isNull());
        QTest::keyClicks(field("lineEdit_url"), quoted(program));
        // Path and icon differ: the icon field is empty, so still no icon.
        QVERIFY(grid(2)->icon().isNull());
        QTest::keyClicks(field("lineEdit_icon"), quoted(picture));
        QVERIFY(!grid(2)->icon().isNull());
        QCOMPARE(grid(2)->iconSize(), QSize(30, 30));
        field("lineEdit_icon")->setText(quoted(program));
        QCOMPARE(grid(2)->iconSize(), QSize(32, 32));
        // An unset path shows no icon, whatever the icon field says.
        QTest::mouseClick(pushButton("pushButton_clear_path"), Qt::LeftButton);
        QVERIFY(grid(2)->icon().isNull());
    }

    void backgroundRedrawsAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("drawn");
        QTest::newRow("colour name") << "red"
                                     << "red";
        QTest::newRow("not yet a colour") << "re"
                                          << "#000000";
        QTest::newRow("hex") << "#00ff00"
                             << "#00ff00";
        QTest::newRow("five digits") << "#12345"
                                     << "#000000";
    }
    void backgroundRedrawsAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, drawn);
        click(1);
        field("lineEdit_background")->clear();
        QTest::keyClicks(field("lineEdit_background"), typed);
        QCOMPARE(field("lineEdit_background")->text(), typed);
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".background")).toString(), drawn);
        QCOMPARE(grid(1)->styleSheet(), buttonStyleSheet(drawn));
    }

    void clearButtons_data()
    {
        QTest::addColumn<QString>("clearButton");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("expected");
        QTest::newRow("path") << "pushButton_clear_path"
                              << "path"
                              << "";
        QTest::newRow("title") << "pushButton_clear_title"
                               << "title"
                               << "";
        QTest::newRow("icon") << "pushButton_clear_icon"
                              << "icon"
                              << "";
        QTest::newRow("background") << "pushButton_clear_bgr"
                                    << "background"
                                    << "#000000";
    }
    void clearButtons()
    {
        QFETCH(QString, clearButton);
        QFETCH(QString, member);
        QFETCH(QString, expected);
        click(1);
        field("lineEdit_background")->setText(QStringLiteral("blue"));
        QTest::mouseClick(pushButton(qPrintable(clearButton)), Qt::LeftButton);
        QCOMPARE(stored(buttonKey(1) + QLatin1Char('.') + member).toString(), expected);
    }

    void browseForPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("several dots") << "tool.setup.exe"
                                      << "tool";
        QTest::newRow("shell characters") << "say $HOME & `now`; ok.sh"
                                          << "say $HOME & `now`; ok";
    }
    void browseForPath()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        const QString chosen = sandbox::home() + QStringLiteral("/apps/") + name;
        QVERIFY(sandbox::writeFile(chosen, "MZ"));
        click(2);
        QString caption;
        onNextModal<QFileDialog>([&](QFileDialog *files) {
            caption = files->windowTitle();
            files->selectFile(chosen);
            static_cast<QDialog *>(files)->accept(); // runs QFileDialog's own accept()
        });
        QTest::mouseClick(pushButton("pushButton_browsePath"), Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("Select Application"));
        const QString path = stored(buttonKey(2) + QStringLiteral(".path")).toString();
        QCOMPARE(field("lineEdit_url")->text(), path);
        // The stored text starts exactly the chosen file, whatever its name.
        QCOMPARE(QProcess::splitCommand(path), QStringList { chosen });
        QCOMPARE(path, quoted(chosen));
        QCOMPARE(stored(buttonKey(2) + QStringLiteral(".icon")).toString(), path);
        // Everything from the first full stop of the name is dropped.
        QCOMPARE(stored(buttonKey(2) + QStringLiteral(".title")).toString(), title);
        QCOMPARE(grid(2)->iconSize(), QSize(32, 32));
    }

    void browseForIcon()
    {
        click(1);
        onNextModal<QFileDialog>([&](QFileDialog *files) {
            files->selectFile(picture);
            static_cast<QDialog *>(files)->accept(); // runs QFileDialog's own accept()
        });
        QTest::mouseClick(pushButton("pushButton_browseIcon"), Qt::LeftButton);
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".icon")).toString(), quoted(picture));
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".path")).toString(), quoted(program));
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".title")).toString(), QStringLiteral("Tool"));
        QCOMPARE(grid(1)->iconSize(), QSize(30, 30));
    }

    void cancelledBrowsingChangesNothing_data()
    {
        QTest::addColumn<QString>("browseButton");
        QTest::newRow("path") << "pushButton_browsePath";
        QTest::newRow("icon") << "pushButton_browseIcon";
    }
    void cancelledBrowsingChangesNothing()
    {
        QFETCH(QString, browseButton);
        click(1);
        const QJsonObject before = jsonDocument.object();
        onNextModal<QFileDialog>([](QFileDialog *files) { files->reject(); });
        QTest::mouseClick(pushButton(qPrintable(browseButton)), Qt::LeftButton);
        QCOMPARE(jsonDocument.object(), before);
        QCOMPARE(field("lineEdit_url")->text(), quoted(program));
        QCOMPARE(field("lineEdit_title")->text(), QStringLiteral("Tool"));
    }

    void colourPicker_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QColor>("initial");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("result");
        QTest::newRow("black opens at white") << 1 << QColor(Qt::white) << true << "#ff8000";
        QTest::newRow("red opens at red") << 2 << QColor(Qt::red) << true << "#ff8000";
        QTest::newRow("cancel") << 2 << QColor(Qt::red) << false << "red";
    }
    void colourPicker()
    {
        QFETCH(int, position);
        QFETCH(QColor, initial);
        QFETCH(bool, accept);
        QFETCH(QString, result);
        click(position);
        QColor opened;
        onNextModal<QColorDialog>([&](QColorDialog *colours) {
            opened = colours->currentColor();
            colours->setCurrentColor(QColor(0xFF, 0x80, 0x00));
            if (accept)
                colours->accept();
            else
                colours->reject();
        });
        QTest::mouseClick(pushButton("pushButton_colorPicker"), Qt::LeftButton);
        QCOMPARE(opened, initial);
        QCOMPARE(stored(buttonKey(position) + QStringLiteral(".background")).toString(), result);
        QCOMPARE(field("lineEdit_background")->text(), result);
        QCOMPARE(grid(position)->styleSheet(), buttonStyleSheet(result));
    }

    void dragSwapsWholeButtons()
    {
        QJsonObject root = standardDocument();
        root.insert(buttonKey(2),
            button(QStringLiteral("Folder"), QStringLiteral(":/res/folder.png"), QStringLiteral("Folder"),
                QStringLiteral("#000000"), QJsonObject { { buttonKey(2), button("\"/x\"", "", "inner", "blue") } }));
        open(root);

        QTest::mousePress(grid(1), Qt::LeftButton);
        QCOMPARE(dialog->cursor().shape(), Qt::ClosedHandCursor);
        QTest::mouseRelease(grid(1), Qt::LeftButton);
        QCOMPARE(dialog->cursor().shape(), Qt::ArrowCursor);
        enter(2);

        QCOMPARE(jsonDocument.object().value(buttonKey(1)), root.value(buttonKey(2)));
        QCOMPARE(jsonDocument.object().value(buttonKey(2)), root.value(buttonKey(1)));
        // Both redrawn; the dropped-on position is selected and shows the
        // moved button.
        QCOMPARE(grid(1)->iconSize(), QSize(30, 30));
        QCOMPARE(grid(2)->iconSize(), QSize(32, 32));
        QCOMPARE(selectedButton, 2);
        QCOMPARE(heading(), QStringLiteral("Button 2 Settings"));
        QCOMPARE(field("lineEdit_title")->text(), QStringLiteral("Tool"));
    }

    void noSwapOutsideTheDropWindow()
    {
        const QJsonObject before = jsonDocument.object();

        // An Enter once the window has passed.
        QTest::mousePress(grid(1), Qt::LeftButton);
        QTest::mouseRelease(grid(1), Qt::LeftButton);
        QVERIFY(dropPending);
        QTRY_VERIFY(!dropPending);
        enter(2);
        QCOMPARE(jsonDocument.object(), before);

        // An Enter without any release before it.
        enter(2);
        QCOMPARE(jsonDocument.object(), before);

        // Only the first Enter after a release counts.
        dragWithinWindow(1, 1);
        enter(2);
        QCOMPARE(jsonDocument.object(), before);
    }

    void closingRightAfterAReleaseDropsNothingLater()
    {
        QTest::mousePress(grid(1), Qt::LeftButton);
        QTest::mouseRelease(grid(1), Qt::LeftButton);
        dialog.reset();
        dialog.reset(new moreSettings);
        dialog->show();
        const QJsonObject before = jsonDocument.object();
        enter(2);
        QCOMPARE(jsonDocument.object(), before);
    }

    void createEnterAndLeaveAFolder()
    {
        click(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);

        QJsonObject expected;
        expected.insert(buttonKey(1),
            QJsonObject { { QStringLiteral("icon"), QStringLiteral(":/res/back.png") },
                { QStringLiteral("title"), QStringLiteral("Back") },
                { QStringLiteral("background"), QStringLiteral("#000000") },
                { QStringLiteral("folder"), QJsonValue::Null } });
        for (int k = 2; k <= buttonCount; ++k)
            expected.insert(buttonKey(k), defaultButton());
        QCOMPARE(stored(buttonKey(2)).toObject(),
            button(QStringLiteral("Folder"), QStringLiteral(":/res/folder.png"), QStringLiteral("Folder"),
                QStringLiteral("#000000"), expected));
        QCOMPARE(field("lineEdit_url")->text(), QStringLiteral("Folder"));
        QCOMPARE(field("lineEdit_icon")->text(), QStringLiteral(":/res/folder.png"));
        QCOMPARE(grid(2)->iconSize(), QSize(30, 30));

        doubleClick(2);
        QCOMPARE(folderPrefix, buttonKey(2) + QStringLiteral(".folder."));
        QVERIFY(!grid(1)->icon().isNull());
        QVERIFY(grid(2)->icon().isNull());
        QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(QStringLiteral("#000000")));
        // The double-click's release selects the same position in the folder.
        QCOMPARE(heading(), QStringLiteral("Button 2 Settings"));
        QCOMPARE(field("lineEdit_title")->text(), QString());

        // Position 1 is the way back: its path cannot be edited.
        click(1);
        QCOMPARE(field("lineEdit_url")->text(), QStringLiteral("FolderBack"));
        QVERIFY(!field("lineEdit_url")->isEnabled());
        QVERIFY(!pushButton("pushButton_browsePath")->isEnabled());
        QVERIFY(!pushButton("pushButton_setToFolder")->isEnabled());
        QVERIFY(!pushButton("pushButton_clear_path")->isEnabled());
        QVERIFY(!stored(buttonKey(2) + QStringLiteral(".folder.") + buttonKey(1)).toObject().contains("path"));
        click(2);
        QVERIFY(field("lineEdit_url")->isEnabled());
        QVERIFY(pushButton("pushButton_setToFolder")->isEnabled());

        doubleClick(1);
        QCOMPARE(folderPrefix, QString());
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
        QCOMPARE(field("lineEdit_title")->text(), QStringLiteral("Tool"));
        QCOMPARE(grid(2)->iconSize(), QSize(30, 30));
    }

    void doubleClickOnAPlainTopLevelButtonStays()
    {
        doubleClick(1);
        QCOMPARE(folderPrefix, QString());
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
    }

    void backPositionIsNeitherDraggedNorDroppedOn()
    {
        click(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        doubleClick(2);
        field("lineEdit_title")->setText(QStringLiteral("Inside"));
        const QJsonObject before = jsonDocument.object();

        dragWithinWindow(1, 2);
        QCOMPARE(jsonDocument.object(), before);
        dragWithinWindow(2, 1);
        QCOMPARE(jsonDocument.object(), before);

        // The same drag at the top level does swap.
        doubleClick(1);
        dragWithinWindow(1, 2);
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".path")).toString(), QStringLiteral("Folder"));
    }

    void nestTwoDeepAndSaveFromInside()
    {
        click(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        doubleClick(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        doubleClick(2);
        const QString deep = buttonKey(2) + QStringLiteral(".folder.") + buttonKey(2) + QStringLiteral(".folder.");
        QCOMPARE(folderPrefix, deep);
        QTest::keyClicks(field("lineEdit_title"), QStringLiteral("Deep"));

        // Save from inside writes the whole document.
        QTest::mouseClick(boxButton(QDialogButtonBox::Save), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(fileObject(), jsonDocument.object());
        QCOMPARE(fileObject().value(buttonKey(1)), standardDocument().value(buttonKey(1)));
        QJsonValue title = fileObject();
        for (const QString &key : QString(deep + buttonKey(2) + QStringLiteral(".title")).split(QLatin1Char('.')))
            title = title.toObject().value(key);
        QCOMPARE(title.toString(), QStringLiteral("Deep"));

        // A new dialog opens where this one was left.
        dialog.reset(new moreSettings);
        QCOMPARE(folderPrefix, deep);
        QCOMPARE(selectedButton, 1);
        QCOMPARE(field("lineEdit_url")->text(), QStringLiteral("FolderBack"));

        doubleClick(1);
        QCOMPARE(folderPrefix, buttonKey(2) + QStringLiteral(".folder."));
        doubleClick(1);
        QCOMPARE(folderPrefix, QString());
    }

    void setToFolderKeepsAnExistingFolder()
    {
        const QJsonObject inner { { buttonKey(1), QJsonObject { { QStringLiteral("title"), QStringLiteral("Back") } } },
            { buttonKey(2), button("\"/x\"", "", "keep me", "blue") } };
        QJsonObject root = standardDocument();
        root.insert(buttonKey(2),
            button(QStringLiteral("Folder"), QStringLiteral(":/res/folder.png"), QStringLiteral("Folder"),
                QStringLiteral("#000000"), inner));
        open(root);
        click(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        QCOMPARE(stored(buttonKey(2) + QStringLiteral(".folder")).toObject(), inner);

        // Reset, then Set to folder: a fresh, empty folder.
        QTest::mouseClick(boxButton(QDialogButtonBox::Reset), Qt::LeftButton);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        const QJsonObject fresh = stored(buttonKey(2) + QStringLiteral(".folder")).toObject();
        QCOMPARE(fresh.size(), buttonCount);
        QCOMPARE(fresh.value(buttonKey(2)).toObject(), defaultButton());
    }

    void resetClearsTheSelectedButton()
    {
        QJsonObject root = standardDocument();
        root.insert(buttonKey(2),
            button(QStringLiteral("Folder"), QStringLiteral(":/res/folder.png"), QStringLiteral("Folder"),
                QStringLiteral("blue"), defaultButtonsLevel()));
        open(root);
        click(2);
        QTest::mouseClick(boxButton(QDialogButtonBox::Reset), Qt::LeftButton);
        QCOMPARE(stored(buttonKey(2)).toObject(),
            button(QString(), QString(), QString(), QStringLiteral("#000000"), QJsonValue::Null));
        QVERIFY(grid(2)->icon().isNull());
        QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(QStringLiteral("#000000")));
        // Only the selected one.
        QCOMPARE(stored(buttonKey(1)).toObject(), standardDocument().value(buttonKey(1)).toObject());
    }

    void resetOnTheBackPositionRestoresIt()
    {
        click(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        doubleClick(2);
        click(1);
        field("lineEdit_title")->setText(QStringLiteral("Up"));
        field("lineEdit_icon")->clear();
        field("lineEdit_background")->setText(QStringLiteral("green"));
        QTest::mouseClick(boxButton(QDialogButtonBox::Reset), Qt::LeftButton);
        const QJsonObject back = stored(buttonKey(2) + QStringLiteral(".folder.") + buttonKey(1)).toObject();
        QCOMPARE(back,
            QJsonObject({ { QStringLiteral("icon"), QStringLiteral(":/res/back.png") },
                { QStringLiteral("title"), QStringLiteral("Back") },
                { QStringLiteral("background"), QStringLiteral("#000000") },
                { QStringLiteral("folder"), QJsonValue::Null } }));
        QCOMPARE(field("lineEdit_url")->text(), QStringLiteral("FolderBack"));
    }

    void saveWritesSortedFourSpaceJson()
    {
        // A hand-written file in its own order and layout.
        QVERIFY(sandbox::writeFile(
            buttonsFilePath(), "{\"Button02\":{\"title\":\"B\",\"path\":\"\"},\"Button01\":{\"title\":\"A\"}}"));
        dialog.reset(new moreSettings);
        dialog->show();
        field("lineEdit_title")->setText(QStringLiteral("A2"));
        QTest::mouseClick(boxButton(QDialogButtonBox::Save), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());

        const QByteArray text = sandbox::readFile(buttonsFilePath());
        QCOMPARE(text, jsonDocument.toJson(QJsonDocument::Indented));
        QVERIFY(text.startsWith("{\n    \"Button01\": {\n        \"background\": \"#000000\",\n"));
        QVERIFY(text.indexOf("\"Button01\"") < text.indexOf("\"Button02\""));
        QVERIFY(text.indexOf("\"path\": \"\"") < text.indexOf("\"title\": \"B\""));
        QCOMPARE(fileObject().value(buttonKey(1)).toObject().value(QStringLiteral("title")).toString(),
            QStringLiteral("A2"));
    }

    void cancelAndEscapeLeaveTheFileAlone_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelAndEscapeLeaveTheFileAlone()
    {
        QFETCH(bool, escape);
        const QByteArray original = "{\"Button02\": {\"title\": \"B\"},\n\"Button01\":{\"title\":\"A\"}}";
        QVERIFY(sandbox::writeFile(buttonsFilePath(), original));
        dialog.reset(new moreSettings);
        dialog->show();
        field("lineEdit_title")->setText(QStringLiteral("changed"));
        click(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        dragWithinWindow(1, 2);
        if (escape)
            QTest::keyClick(field("lineEdit_title"), Qt::Key_Escape);
        else
            QTest::mouseClick(boxButton(QDialogButtonBox::Cancel), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(sandbox::readFile(buttonsFilePath()), original);
    }

    void enterInAFieldSaves_data()
    {
        QTest::addColumn<QString>("fieldName");
        QTest::newRow("path") << "lineEdit_url";
        QTest::newRow("title") << "lineEdit_title";
        QTest::newRow("icon") << "lineEdit_icon";
        QTest::newRow("background") << "lineEdit_background";
    }
    void enterInAFieldSaves()
    {
        QFETCH(QString, fieldName);
        click(2);
        field("lineEdit_title")->setText(QStringLiteral("by Enter"));
        QTest::keyClick(field(qPrintable(fieldName)), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(fileObject().value(buttonKey(2)).toObject().value(QStringLiteral("title")).toString(),
            QStringLiteral("by Enter"));
    }

    void failedSaveKeepsTheEditorOpen()
    {
        // Make the file impossible to replace: a folder in its place.
        QVERIFY(QFile::remove(buttonsFilePath()));
        QVERIFY(QDir().mkpath(buttonsFilePath()));
        field("lineEdit_title")->setText(QStringLiteral("precious"));
        QString warning;
        onNextModal<QMessageBox>([&](QMessageBox *box) {
            warning = box->text();
            box->accept();
        });
        QTest::mouseClick(boxButton(QDialogButtonBox::Save), Qt::LeftButton);
        QVERIFY(warning.contains(QStringLiteral("could not be saved")));
        QVERIFY(dialog->isVisible());
        QCOMPARE(field("lineEdit_title")->text(), QStringLiteral("precious"));

        QVERIFY(QDir().rmdir(buttonsFilePath()));
        QTest::mouseClick(boxButton(QDialogButtonBox::Save), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(fileObject().value(buttonKey(1)).toObject().value(QStringLiteral("title")).toString(),
            QStringLiteral("precious"));
    }

    void opensAtTheTopWhenTheFolderIsGone()
    {
        // Left inside a folder that was created and never saved.
        click(2);
        QTest::mouseClick(pushButton("pushButton_setToFolder"), Qt::LeftButton);
        doubleClick(2);
        QVERIFY(!folderPrefix.isEmpty());
        QTest::mouseClick(boxButton(QDialogButtonBox::Cancel), Qt::LeftButton);

        dialog.reset(new moreSettings);
        QCOMPARE(folderPrefix, QString());
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
        QCOMPARE(field("lineEdit_url")->text(), quoted(program));
        // No stray members under the button that is not a folder.
        QCOMPARE(jsonDocument.object(), standardDocument());
    }

    void panelOpensOneEditorAndRedrawsAfter_data()
    {
        QTest::addColumn<bool>("fromTray");
        QTest::newRow("settings button") << false;
        QTest::newRow("tray entry") << true;
    }
    void panelOpensOneEditorAndRedrawsAfter()
    {
        QFETCH(bool, fromTray);
        dialog.reset();
        QVERIFY(writeButtonsDocument(buttonsFilePath(), standardDocument()));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("Tool"));

        bool openWhileRunning = false;
        bool secondEditor = false;
        onNextModal<moreSettings>([&](moreSettings *editor) {
            openWhileRunning = settingsOpen;
            // Anything modal above this editor now would be a second one.
            QTimer::singleShot(0, [&secondEditor, editor] {
                if (auto *other = qobject_cast<moreSettings *>(QApplication::activeModalWidget())) {
                    if (other != editor) {
                        secondEditor = true;
                        other->close();
                    }
                }
            });
            QMetaObject::invokeMethod(window, "on_pushButton_settings_clicked");
            editor->findChild<QLineEdit *>(QStringLiteral("lineEdit_title"))->setText(QStringLiteral("Edited"));
            editor->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save)->click();
        });

        if (fromTray) {
            QAction *settings = nullptr;
            for (QAction *action : trayIcon->contextMenu()->actions())
                if (action->text() == QLatin1String("Settings"))
                    settings = action;
            QVERIFY(settings);
            settings->trigger();
        } else {
            QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("pushButton_settings")), Qt::LeftButton);
        }

        QVERIFY(openWhileRunning);
        QVERIFY(!secondEditor);
        QVERIFY(!settingsOpen);
        QCOMPARE(fileObject().value(buttonKey(1)).toObject().value(QStringLiteral("title")).toString(),
            QStringLiteral("Edited"));
        // The panel drew what the editor saved.
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("Edited"));
    }

    void secondRequestWhileOpenDoesNothing()
    {
        dialog.reset();
        settingsOpen = true;
        bool opened = false;
        QPointer<QTimer> watch = onNextModal<moreSettings>([&opened](moreSettings *editor) {
            opened = true;
            editor->close();
        });
        QVERIFY(QMetaObject::invokeMethod(window, "on_pushButton_settings_clicked"));
        delete watch;
        QVERIFY(!opened);
        QVERIFY(settingsOpen);
        settingsOpen = false;
    }
};

ZARVEL_TEST_MAIN(TestEditor)
#include "tst_editor.moc"

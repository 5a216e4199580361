// The settings editor driven as a user drives it: the real dialog, its grid,
// fields, file and colour dialogs, folders, and what reaches buttons.json.
#include "app/config.h"
#include "editor/editorstate.h"
#include "editor/moresettings.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "buttons/buttonstyle.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/modal.h"
#include "tests/support/sandbox.h"
#include "tests/support/testpanel.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

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

QJsonObject folderButton(const QJsonValue &folder)
{
    return button(QStringLiteral("Folder"), QStringLiteral(":/res/folder.png"), QStringLiteral("Folder"),
        QStringLiteral("#000000"), folder);
}

const QJsonObject backButton { { QStringLiteral("icon"), QStringLiteral(":/res/back.png") },
    { QStringLiteral("title"), QStringLiteral("Back") }, { QStringLiteral("background"), QStringLiteral("#000000") },
    { QStringLiteral("folder"), QJsonValue::Null } };

// A value by dotted path, read without the editor: of its document, or of
// the file when `root` is given.
QJsonValue stored(const QString &path, QJsonValue root = jsonDocument.object())
{
    for (const QString &key : path.split(QLatin1Char('.')))
        root = root.toObject().value(key);
    return root;
}

QJsonObject fileObject()
{
    return QJsonDocument::fromJson(sandbox::readFile(buttonsFilePath())).object();
}


} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private:
    FakePlatform platform;
    TestPanel panel;
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

    // A new dialog on the file as it is (or on `root` written first), shown.
    void open(const QJsonObject &root = QJsonObject())
    {
        dialog.reset();
        if (!root.isEmpty())
            QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        dialog.reset(new moreSettings);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QLineEdit *field(const QString &name) const { return dialog->findChild<QLineEdit *>(name); }
    void press(const QString &name) const { QTest::mouseClick(dialog->findChild<QPushButton *>(name), Qt::LeftButton); }
    bool enabled(const QString &name) const { return dialog->findChild<QWidget *>(name)->isEnabled(); }
    void press(QDialogButtonBox::StandardButton which) const
    {
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(which), Qt::LeftButton);
    }
    QString heading() const { return dialog->findChild<QLabel *>(QStringLiteral("label_title"))->text(); }
    QString title() const { return field(QStringLiteral("lineEdit_title"))->text(); }
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
    static void drag(int from, int to)
    {
        QTest::mousePress(grid(from), Qt::LeftButton);
        QTest::mouseRelease(grid(from), Qt::LeftButton);
        enter(to);
    }
    // Makes position 2 a new folder and goes into it.
    void enterNewFolder()
    {
        click(2);
        press(QStringLiteral("pushButton_setToFolder"));
        doubleClick(2);
    }

private slots:
    void initTestCase()
    {
        // Generic dialogs are the ones a test can fill in.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        window = panel.open(&platform);

        program = sandbox::writeProgram(sandbox::home() + QStringLiteral("/bin/tool"));
        QVERIFY(!program.isEmpty());
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

    void windowAndGrid()
    {
        QCOMPARE(dialog->windowTitle(),
            QStringLiteral("Settings - Zarvel ") + configValue(QStringLiteral("type")).toString());
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
        // The grid is drawn with the panel's rule.
        for (int n = 1; n <= buttonCount; ++n)
            QCOMPARE(grid(n)->toolTip(), QStringLiteral("Click to edit button ") + QString::number(n));
        QCOMPARE(grid(1)->iconSize(), QSize(32, 32));
        QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(QStringLiteral("red")));
        QVERIFY(grid(2)->icon().isNull());
        QCOMPARE(selectedButton, 1);
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));

        // What the form shows beside the fields.
        const QStringList form { "label|Path|", "label_2|Title|", "label_5|Icon Path|",
            "label_3|Background Color (HEX)|", "pushButton_browsePath|Browse...|",
            "pushButton_setToFolder||Set to folder", "pushButton_clear_path|X|Clear Path",
            "pushButton_clear_title|X|Clear Title", "pushButton_browseIcon|Browse...|",
            "pushButton_clear_icon|X|Clear Icon Path", "pushButton_colorPicker|Color Picker|",
            "pushButton_clear_bgr|X|Reset Background Color" };
        for (const QString &row : form) {
            const QStringList parts = row.split(QLatin1Char('|'));
            auto *widget = dialog->findChild<QWidget *>(parts.at(0));
            QVERIFY2(widget, qPrintable(row));
            QCOMPARE(widget->property("text").toString(), parts.at(1));
            QCOMPARE(widget->toolTip(), parts.at(2));
        }
    }

    void selectionFillsHeadingAndFields()
    {
        click(2);
        QCOMPARE(selectedButton, 2);
        QCOMPARE(heading(), QStringLiteral("Button 2 Settings"));
        QCOMPARE(field("lineEdit_url")->text(), QString());
        QCOMPARE(title(), QStringLiteral("Second"));
        QCOMPARE(field("lineEdit_background")->text(), QStringLiteral("red"));

        // Shown as stored: quotes included.
        click(1);
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
        QCOMPARE(field("lineEdit_url")->text(), quoted(program));
        QCOMPARE(field("lineEdit_icon")->text(), quoted(program));
        QCOMPARE(title(), QStringLiteral("Tool"));
        // Selecting wrote nothing new to the buttons.
        QCOMPARE(jsonDocument.object(), standardDocument());
    }

    void missingBackgroundIsDrawnBlackAndKept()
    {
        QJsonObject root = standardDocument();
        root.insert(buttonKey(2), QJsonObject { { QStringLiteral("title"), QStringLiteral("Second") } });
        open(root);
        QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(QStringLiteral("#000000")));
        QCOMPARE(stored(buttonKey(2) + QStringLiteral(".background")).toString(), QStringLiteral("#000000"));
    }

    void typeAndClear_data()
    {
        QTest::addColumn<QString>("member");
        for (const char *member : { "path", "title", "icon", "background" })
            QTest::newRow(member) << QString::fromLatin1(member);
    }
    void typeAndClear()
    {
        QFETCH(QString, member);
        const bool background = member == QLatin1String("background");
        click(2);
        QLineEdit *edit
            = field(QStringLiteral("lineEdit_") + (member == QLatin1String("path") ? QStringLiteral("url") : member));
        edit->clear();
        const QString memberPath = buttonKey(2) + QLatin1Char('.') + member;
        // "#abc" is a colour only once typed whole; until then the document
        // and the grid hold black while the field keeps what was typed.
        const QString typed = QStringLiteral("#abc");
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(edit, typed.at(i).toLatin1());
            const QString shown = typed.left(i + 1);
            QCOMPARE(edit->text(), shown);
            const QString expected = background && !QColor::isValidColor(shown) ? QStringLiteral("#000000") : shown;
            QCOMPARE(stored(memberPath).toString(), expected);
            if (background)
                QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(expected));
        }
        // Only the selected button changed.
        QCOMPARE(jsonDocument.object().value(buttonKey(1)), standardDocument().value(buttonKey(1)));

        press(QStringLiteral("pushButton_clear_") + (background ? QStringLiteral("bgr") : member));
        const QString cleared = background ? QStringLiteral("#000000") : QString();
        QCOMPARE(edit->text(), cleared);
        QCOMPARE(stored(memberPath).toString(), cleared);
    }

    void pathAndIconRedrawTheGrid()
    {
        click(2);
        QTest::keyClicks(field("lineEdit_url"), quoted(program));
        // Path and icon differ: the icon field is empty, so still no icon.
        QVERIFY(grid(2)->icon().isNull());
        QTest::keyClicks(field("lineEdit_icon"), quoted(picture));
        QCOMPARE(grid(2)->iconSize(), QSize(30, 30));
        field("lineEdit_icon")->setText(quoted(program));
        QCOMPARE(grid(2)->iconSize(), QSize(32, 32));
        // An unset path shows no icon, whatever the icon field says.
        press(QStringLiteral("pushButton_clear_path"));
        QVERIFY(grid(2)->icon().isNull());
    }

    void browse_data()
    {
        QTest::addColumn<bool>("forPath");
        QTest::addColumn<QString>("name"); // of the file chosen; none: cancelled
        QTest::addColumn<QString>("title");
        // Everything from the first full stop of the name is dropped.
        QTest::newRow("path, several dots") << true << QStringLiteral("tool.setup.exe") << QStringLiteral("tool");
        QTest::newRow("path, shell characters")
            << true << QStringLiteral("say $HOME & `now`; ok.sh") << QStringLiteral("say $HOME & `now`; ok");
        QTest::newRow("path, cancelled") << true << QString() << QStringLiteral("Second");
        QTest::newRow("icon") << false << QStringLiteral("logo.png") << QStringLiteral("Second");
        QTest::newRow("icon, cancelled") << false << QString() << QStringLiteral("Second");
    }
    void browse()
    {
        QFETCH(bool, forPath);
        QFETCH(QString, name);
        QFETCH(QString, title);
        const QString chosen = name.isEmpty() ? QString() : sandbox::home() + QStringLiteral("/apps/") + name;
        if (!chosen.isEmpty())
            QVERIFY(sandbox::writeFile(chosen, "MZ"));
        click(2);
        QJsonObject expected = stored(buttonKey(2)).toObject();
        QString shown;
        onNextModal<QFileDialog>([&](QFileDialog *files) {
            shown = files->windowTitle();
            files->selectFile(chosen);
            // The cast runs QFileDialog's own accept(), which takes the selection.
            chosen.isEmpty() ? files->reject() : static_cast<QDialog *>(files)->accept();
        });
        press(forPath ? QStringLiteral("pushButton_browsePath") : QStringLiteral("pushButton_browseIcon"));
        QCOMPARE(shown, forPath ? QStringLiteral("Select Application") : QStringLiteral("Select Icon"));
        if (!chosen.isEmpty())
            expected.insert(QStringLiteral("icon"), quoted(chosen));
        if (!chosen.isEmpty() && forPath)
            expected.insert(QStringLiteral("path"), quoted(chosen));
        expected.insert(QStringLiteral("title"), title);
        QCOMPARE(stored(buttonKey(2)).toObject(), expected);
        // The stored text starts exactly the chosen file, whatever its name.
        if (forPath && !chosen.isEmpty()) {
            QCOMPARE(QProcess::splitCommand(expected.value(QStringLiteral("path")).toString()), QStringList { chosen });
            QCOMPARE(grid(2)->iconSize(), QSize(32, 32));
        }
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
            accept ? colours->accept() : colours->reject();
        });
        press(QStringLiteral("pushButton_colorPicker"));
        QCOMPARE(opened, initial);
        QCOMPARE(stored(buttonKey(position) + QStringLiteral(".background")).toString(), result);
        QCOMPARE(field("lineEdit_background")->text(), result);
        QCOMPARE(grid(position)->styleSheet(), buttonStyleSheet(result));
    }

    void dragSwapsWholeButtons()
    {
        QJsonObject root = standardDocument();
        root.insert(
            buttonKey(2), folderButton(QJsonObject { { buttonKey(2), button("\"/x\"", "", "inner", "blue") } }));
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
        QCOMPARE(heading(), QStringLiteral("Button 2 Settings"));
        QCOMPARE(title(), QStringLiteral("Tool"));
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
        drag(1, 1);
        enter(2);
        QCOMPARE(jsonDocument.object(), before);

        // A release in a dialog closed since.
        QTest::mousePress(grid(1), Qt::LeftButton);
        QTest::mouseRelease(grid(1), Qt::LeftButton);
        open();
        enter(2);
        QCOMPARE(jsonDocument.object(), before);
    }

    void createEnterAndLeaveAFolder()
    {
        // A plain button is no folder to go into.
        doubleClick(1);
        QCOMPARE(folderPrefix, QString());

        click(2);
        press(QStringLiteral("pushButton_setToFolder"));
        QJsonObject expected { { buttonKey(1), backButton } };
        for (int k = 2; k <= buttonCount; ++k)
            expected.insert(buttonKey(k), defaultButton());
        QCOMPARE(stored(buttonKey(2)).toObject(), folderButton(expected));
        QCOMPARE(field("lineEdit_url")->text(), QStringLiteral("Folder"));
        QCOMPARE(field("lineEdit_icon")->text(), QStringLiteral(":/res/folder.png"));
        QCOMPARE(grid(2)->iconSize(), QSize(30, 30));

        doubleClick(2);
        QCOMPARE(folderPrefix, buttonKey(2) + QStringLiteral(".folder."));
        QVERIFY(!grid(1)->icon().isNull());
        QVERIFY(grid(2)->icon().isNull());
        // The double-click's release selects the same position in the folder.
        QCOMPARE(heading(), QStringLiteral("Button 2 Settings"));
        QCOMPARE(title(), QString());

        // Position 1 is the way back: its path cannot be edited.
        click(1);
        QCOMPARE(field("lineEdit_url")->text(), QStringLiteral("FolderBack"));
        for (const char *name :
            { "lineEdit_url", "pushButton_browsePath", "pushButton_setToFolder", "pushButton_clear_path" })
            QVERIFY2(!enabled(name), name);
        QVERIFY(!stored(buttonKey(2) + QStringLiteral(".folder.") + buttonKey(1)).toObject().contains("path"));
        click(2);
        QVERIFY(enabled("lineEdit_url"));

        doubleClick(1);
        QCOMPARE(folderPrefix, QString());
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
        QCOMPARE(title(), QStringLiteral("Tool"));
        QCOMPARE(grid(2)->iconSize(), QSize(30, 30));
    }

    void backPositionStaysTheWayBack()
    {
        enterNewFolder();
        field("lineEdit_title")->setText(QStringLiteral("Inside"));
        const QJsonObject before = jsonDocument.object();
        drag(1, 2);
        QCOMPARE(jsonDocument.object(), before);
        drag(2, 1);
        QCOMPARE(jsonDocument.object(), before);

        // Reset there restores the way back, still without a path.
        click(1);
        field("lineEdit_title")->setText(QStringLiteral("Up"));
        field("lineEdit_background")->setText(QStringLiteral("green"));
        press(QDialogButtonBox::Reset);
        QCOMPARE(stored(buttonKey(2) + QStringLiteral(".folder.") + buttonKey(1)).toObject(), backButton);
        QCOMPARE(field("lineEdit_url")->text(), QStringLiteral("FolderBack"));

        // The same drag at the top level does swap.
        doubleClick(1);
        drag(1, 2);
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".path")).toString(), QStringLiteral("Folder"));
    }

    void nestTwoDeepSaveAndReopen()
    {
        // Left inside a folder that was created and never saved: the next
        // dialog opens at the top, with no stray members under the button.
        enterNewFolder();
        press(QDialogButtonBox::Cancel);
        open();
        QCOMPARE(folderPrefix, QString());
        QCOMPARE(heading(), QStringLiteral("Button 1 Settings"));
        QCOMPARE(jsonDocument.object(), standardDocument());

        enterNewFolder();
        enterNewFolder();
        const QString deep = buttonKey(2) + QStringLiteral(".folder.") + buttonKey(2) + QStringLiteral(".folder.");
        QCOMPARE(folderPrefix, deep);
        QTest::keyClicks(field("lineEdit_title"), QStringLiteral("Deep"));

        // Save from inside writes the whole document, sorted and indented.
        press(QDialogButtonBox::Save);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(sandbox::readFile(buttonsFilePath()), jsonDocument.toJson(QJsonDocument::Indented));
        QCOMPARE(fileObject().value(buttonKey(1)), standardDocument().value(buttonKey(1)));
        QCOMPARE(
            stored(deep + buttonKey(2) + QStringLiteral(".title"), fileObject()).toString(), QStringLiteral("Deep"));

        // Saved, the folder is there: the next dialog opens where this one was left.
        open();
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
        root.insert(buttonKey(2), folderButton(inner));
        open(root);
        click(2);
        press(QStringLiteral("pushButton_setToFolder"));
        QCOMPARE(stored(buttonKey(2) + QStringLiteral(".folder")).toObject(), inner);

        // Reset clears the selected button only, folder and all; Set to folder
        // then makes a fresh, empty one.
        press(QDialogButtonBox::Reset);
        QCOMPARE(stored(buttonKey(2)).toObject(), button(QString(), QString(), QString(), QStringLiteral("#000000")));
        QVERIFY(grid(2)->icon().isNull());
        QCOMPARE(grid(2)->styleSheet(), buttonStyleSheet(QStringLiteral("#000000")));
        QCOMPARE(stored(buttonKey(1)), standardDocument().value(buttonKey(1)));
        press(QStringLiteral("pushButton_setToFolder"));
        const QJsonObject fresh = stored(buttonKey(2) + QStringLiteral(".folder")).toObject();
        QCOMPARE(fresh.size(), buttonCount);
        QCOMPARE(fresh.value(buttonKey(2)).toObject(), defaultButton());
    }

    void closing_data()
    {
        QTest::addColumn<QString>("fieldName"); // where the key is pressed; none: the Cancel button
        QTest::addColumn<int>("key");
        QTest::newRow("Cancel") << QString() << 0;
        QTest::newRow("Escape") << QStringLiteral("lineEdit_title") << int(Qt::Key_Escape);
        for (const char *name : { "lineEdit_url", "lineEdit_title", "lineEdit_icon", "lineEdit_background" })
            QTest::addRow("Enter in %s", name) << QString::fromLatin1(name) << int(Qt::Key_Return);
    }
    void closing()
    {
        QFETCH(QString, fieldName);
        QFETCH(int, key);
        // A hand-written file in its own order and layout.
        const QByteArray original = "{\"Button02\": {\"title\": \"B\"},\n\"Button01\":{\"title\":\"A\"}}";
        QVERIFY(sandbox::writeFile(buttonsFilePath(), original));
        open();
        click(2);
        field("lineEdit_title")->setText(QStringLiteral("changed"));
        drag(2, 1);
        if (fieldName.isEmpty())
            press(QDialogButtonBox::Cancel);
        else
            QTest::keyClick(field(fieldName), Qt::Key(key));
        QVERIFY(!dialog->isVisible());
        if (key == Qt::Key_Return)
            QCOMPARE(
                stored(buttonKey(1) + QStringLiteral(".title"), fileObject()).toString(), QStringLiteral("changed"));
        else
            QCOMPARE(sandbox::readFile(buttonsFilePath()), original);
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
        press(QDialogButtonBox::Save);
        QVERIFY(warning.contains(QStringLiteral("could not be saved")));
        QVERIFY(dialog->isVisible());
        QCOMPARE(title(), QStringLiteral("precious"));

        QVERIFY(QDir().rmdir(buttonsFilePath()));
        press(QDialogButtonBox::Save);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".title"), fileObject()).toString(), QStringLiteral("precious"));
    }

    void panelOpensOneEditorAndRedrawsAfter()
    {
        dialog.reset();
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("Tool"));

        bool openWhileRunning = false;
        bool secondEditor = false;
        onNextModal<moreSettings>([&](moreSettings *editor) {
            openWhileRunning = settingsOpen;
            // A second request while this editor runs must do nothing: any
            // other editor modal above this one would be a second one.
            QTimer::singleShot(0, [&secondEditor, editor] {
                auto *other = qobject_cast<moreSettings *>(QApplication::activeModalWidget());
                secondEditor = other && other != editor;
                if (secondEditor)
                    other->close();
            });
            QMetaObject::invokeMethod(window, "on_pushButton_settings_clicked");
            editor->findChild<QLineEdit *>(QStringLiteral("lineEdit_title"))->setText(QStringLiteral("Edited"));
            editor->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save)->click();
        });

        // The tray's Settings entry runs the same slot.
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("pushButton_settings")), Qt::LeftButton);
        QVERIFY(openWhileRunning);
        QVERIFY(!secondEditor);
        QVERIFY(!settingsOpen);
        QCOMPARE(stored(buttonKey(1) + QStringLiteral(".title"), fileObject()).toString(), QStringLiteral("Edited"));
        // The panel drew what the editor saved.
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("Edited"));
    }
};

ZARVEL_TEST_MAIN(TestEditor)
#include "tst_editor.moc"

// The settings editor: fields reach the document, drag-swap, folders, and what Save, Cancel and Reset leave in
// buttons.json.
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "editor/editorstate.h"
#include "panel/panelstate.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/modal.h"
#include "tests/support/sandbox.h"

#include <QAccessible>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QtTest>

class TestEditor : public QObject {
    Q_OBJECT

    FakePlatform platform;
    TestPanel panel { &platform };
    std::unique_ptr<moreSettings> editor;

    void openEditor() // active, as its shortcuts need
    {
        editor.reset(new moreSettings);
        editor->show();
        QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    }
    QLineEdit *field(const char *name) { return editor->findChild<QLineEdit *>(name); }
    void press(QDialogButtonBox::StandardButton b) { editor->findChild<QDialogButtonBox *>()->button(b)->click(); }
    static void click(int n) { QTest::mouseClick(editorButtons[n - 1], Qt::LeftButton); }
    static void doubleClick(int n)
    {
        click(n);
        QTest::mouseDClick(editorButtons[n - 1], Qt::LeftButton);
    }
    // A drop is the Enter that follows a release on the dragged button.
    static void drag(int from, int to)
    {
        QTest::mousePress(editorButtons[from - 1], Qt::LeftButton);
        QTest::mouseRelease(editorButtons[from - 1], Qt::LeftButton);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(editorButtons[to - 1], &enter);
    }
    // Runs `action`, answering the questions it asks with `replies` in turn, the last one as often as asked; their
    // texts.
    template<typename Action> static QStringList asking(QList<QMessageBox::StandardButton> replies, Action action)
    {
        QStringList asked;
        QTimer answering;
        connect(&answering, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                asked << box->text();
                box->button(replies.size() > 1 ? replies.takeFirst() : replies.first())->click();
            }
        });
        answering.start(5);
        action();
        return asked;
    }
    void undo(bool redo = false, QWidget *to = nullptr) // the window comes back to the front after a question
    {
        QApplication::setActiveWindow(editor.get());
        QTest::keyClick(
            to ? to : editor.get(), Qt::Key_Z, redo ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
    }
    QJsonValue shown(int n) { return QJsonValue::fromVariant(EditorAccess::get(*editor, buttonKey(n))); }
    static QJsonValue stored(int n) { return readButtonsObject(buttonsFilePath()).value(buttonKey(n)); }
    static QString stored(int n, const QString &member) { return stored(n).toObject().value(member).toString(); }

private slots:
    void init()
    {
        if (buttonCount < 2)
            QSKIP("the editor's cases need two buttons");
        QJsonObject root = defaultButtonsLevel();
        // An icon longer than a line edit holds by default.
        root.insert(buttonKey(1),
            QJsonObject { { pathMember, "/bin/true" }, { titleMember, "A" }, { iconMember, QString(40000, 'i') } });
        root.insert(buttonKey(2), QJsonObject { { titleMember, "B" }, { backgroundMember, "red" } });
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        folderPrefix.clear();
        openEditor();
    }

    // Save writes every change at once, and cuts nothing short. The selected button is marked; the colour picker
    // opens on its colour.
    void saveWritesEveryChange()
    {
        QColor picked;
        onNextModal<QColorDialog>([&](QColorDialog *picker) {
            picked = picker->currentColor();
            picker->reject();
        });
        editor->findChild<QPushButton *>("pushButton_colorPicker")->click();
        QCOMPARE(picked, QColor(Qt::black));
        click(2);
        QVERIFY(editorButtons[0]->styleSheet() == buttonStyleSheet("#000000")
            && editorButtons[1]->styleSheet() != buttonStyleSheet("red"));
        field("lineEdit_title")->setText("changed");
        field("lineEdit_background")->setText("#00ff00");
        drag(2, 1);
        press(QDialogButtonBox::Save);
        QVERIFY(!editor->isVisible());
        QCOMPARE(stored(1, titleMember) + stored(1, backgroundMember) + stored(2, pathMember)
                + QString::number(stored(2, iconMember).size()),
            "changed#00ff00/bin/true40000");
    }

    // Escape, Cancel and the close button ask before edits go, and only then; moving between folders is no edit.
    void closingAsksAboutEdits_data()
    {
        QTest::addColumn<int>("closing"); // Escape, Cancel, the close button
        QTest::addColumn<QString>("edit"); // a title, or "" to only go into a folder and back
        QTest::addColumn<int>("reply");
        QTest::newRow("no edit") << 0 << "" << int(QMessageBox::Cancel);
        QTest::newRow("discarded") << 0 << "changed" << int(QMessageBox::Discard);
        QTest::newRow("saved") << 0 << "changed" << int(QMessageBox::Save);
        QTest::newRow("kept editing") << 0 << "changed" << int(QMessageBox::Cancel);
        QTest::newRow("Cancel") << 1 << "changed" << int(QMessageBox::Discard);
        QTest::newRow("close button") << 2 << "changed" << int(QMessageBox::Discard);
    }
    void closingAsksAboutEdits()
    {
        QFETCH(int, closing);
        QFETCH(QString, edit);
        QFETCH(int, reply);
        // A folder whose buttons have no colours yet: drawing it gives them black.
        QJsonObject root = readButtonsObject(buttonsFilePath());
        root[buttonKey(2)] = QJsonObject { { pathMember, folderMarker }, { folderMember, QJsonObject {} } };
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        const QByteArray before = sandbox::readFile(buttonsFilePath());
        openEditor();
        doubleClick(2);
        doubleClick(1);
        if (!edit.isEmpty())
            field("lineEdit_title")->setText(edit);
        const QStringList asked = asking({ QMessageBox::StandardButton(reply) }, [&] {
            if (closing == 0)
                QTest::keyClick(editor.get(), Qt::Key_Escape);
            else if (closing == 1)
                press(QDialogButtonBox::Cancel);
            else
                editor->close();
        });
        QCOMPARE(asked, edit.isEmpty() ? QStringList() : QStringList { "Save changes?" });
        QCOMPARE(editor->isVisible(), reply == QMessageBox::Cancel && !edit.isEmpty());
        QCOMPARE(sandbox::readFile(buttonsFilePath()) == before, reply != QMessageBox::Save);
        QCOMPARE(stored(1, titleMember), reply == QMessageBox::Save ? edit : "A");
    }

    // Undo and redo restore whole buttons: a swap, typing (one step a field), Reset and Set to folder, also from inside
    // the folder it made. Reset and Set to folder ask first, naming the button; an empty button becomes a folder
    // unasked.
    void undoAndRedo()
    {
        const QJsonValue one = shown(1), two = shown(2);
        drag(2, 1);
        QCOMPARE(shown(1), two);
        undo();
        QVERIFY(shown(1) == one && shown(2) == two);
        undo(true);
        QVERIFY(shown(1) == two && shown(2) == one);
        undo();
        click(2);
        QTest::keyClicks(field("lineEdit_title"), "xy");
        undo(false, field("lineEdit_title"));
        QVERIFY(field("lineEdit_title")->text() == "B" && shown(2) == two);
        click(1);
        QCOMPARE(
            asking({ QMessageBox::Cancel }, [&] { press(QDialogButtonBox::Reset); }), { "Reset button 1 (\"A\")?" });
        QCOMPARE(shown(1), one);
        QVERIFY(asking({ QMessageBox::Reset }, [&] { press(QDialogButtonBox::Reset); }).size() == 1 && shown(1) != one);
        undo();
        QCOMPARE(shown(1), one);
        QPushButton *setToFolder = editor->findChild<QPushButton *>("pushButton_setToFolder");
        QVERIFY(asking({ QMessageBox::Cancel }, [&] { setToFolder->click(); }).size() == 1 && shown(1) == one);
        QCOMPARE(asking({ QMessageBox::Yes }, [&] { setToFolder->click(); }).size(), 1);
        doubleClick(1);
        QCOMPARE(folderPrefix, QStringLiteral("Button01.folder."));
        undo();
        QVERIFY(shown(1) == one && folderPrefix.isEmpty());
        click(2);
        QVERIFY(asking({ QMessageBox::Cancel }, [&] { setToFolder->click(); }).isEmpty() && isFolder(shown(2)));
    }

    // A folder made, entered, filled and left; its Back slot neither swaps nor takes a path; Reset of a plain button
    // clears it.
    void foldersAndReset()
    {
        click(2);
        editor->findChild<QPushButton *>("pushButton_setToFolder")->click();
        doubleClick(2);
        QCOMPARE(folderPrefix, QStringLiteral("Button02.folder."));
        click(1);
        QVERIFY(!field("lineEdit_url")->isEnabled());
        drag(1, 2);
        click(2);
        field("lineEdit_url")->setText("/bin/echo");
        doubleClick(1);
        QCOMPARE(folderPrefix, QString());
        click(1);
        asking({ QMessageBox::Reset }, [&] { press(QDialogButtonBox::Reset); });
        press(QDialogButtonBox::Save);
        const QJsonObject folder = folderLevel(stored(2));
        QCOMPARE(folder.value(buttonKey(1)).toObject(), newFolderLevel().value(buttonKey(1)).toObject());
        QCOMPARE(folder.value(buttonKey(2)).toObject().value(pathMember).toString(), QStringLiteral("/bin/echo"));
        QCOMPARE(stored(1, pathMember), QString());
    }

    // Save notices a file changed elsewhere since the dialog read it and asks; a Save that cannot write warns. Either
    // way the edits stay.
    void saveKeepsEveryonesEdits()
    {
        field("lineEdit_title")->setText("precious");
        const QByteArray theirs = "{\"Button01\": {\"title\": \"theirs\"}}";
        QVERIFY(sandbox::writeFile(buttonsFilePath(), theirs));
        const auto save = [&] { press(QDialogButtonBox::Save); };
        asking({ QMessageBox::Cancel }, save);
        QCOMPARE(sandbox::readFile(buttonsFilePath()), theirs);
        QVERIFY(QFile::remove(buttonsFilePath()));
        // A folder takes the file's place once the panel has seen the file go.
        QTRY_COMPARE(panelButtons[0]->toolTip(), QStringLiteral("Click to set an application"));
        QVERIFY(QDir().mkpath(buttonsFilePath()));
        QCOMPARE(asking({ QMessageBox::Save, QMessageBox::Ok }, save).value(1).left(7), QStringLiteral("The but"));
        QVERIFY(editor->isVisible() && QDir().rmdir(buttonsFilePath()));
        asking({ QMessageBox::Save }, save);
        QVERIFY(!editor->isVisible());
        QCOMPARE(stored(1, titleMember), QStringLiteral("precious"));
    }

    // A screen reader tells every control of the form apart by its name, and names each grid button by its number and
    // what it holds.
    void screenReaderNamesEveryControl()
    {
        QStringList names;
        for (QWidget *control : editor->findChildren<QWidget *>())
            if (qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control))
                names << QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        const QString all = names.join(", ");
        QVERIFY2(!names.contains("") && names.removeDuplicates() == 0, qPrintable(all));
        click(2);
        field("lineEdit_title")->setText("");
        QCOMPARE(editorButtons[0]->accessibleName() + ", " + editorButtons[1]->accessibleName(),
            QStringLiteral("Button 1: A, Button 2, empty"));
    }

    // The panel runs one editor at a time, draws what it saved, and asks before the tray's Close throws its edits away.
    void panelOpensOneEditor()
    {
        editor.reset();
        bool second = false, asked = false;
        onNextModal<moreSettings>([&](moreSettings *running) {
            PanelAccess::openSettings(*panel.window);
            second = QApplication::activeModalWidget() != running;
            running->findChild<QLineEdit *>("lineEdit_title")->setText("Edited");
            onNextModal<QMessageBox>([&](QMessageBox *box) { asked = true, box->reject(); });
            trayIcon->contextMenu()->actions().last()->trigger();
            running->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save)->click();
        });
        PanelAccess::openSettings(*panel.window);
        QVERIFY(!second && asked && !settingsOpen);
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("Edited"));
    }
};

ZARVEL_TEST_MAIN(TestEditor)
#include "tst_editor.moc"

// The settings editor: fields reach the document, drag-swap, folders, and what Save, Cancel and Reset leave in
// buttons.json.
#include "buttons/buttonsfile.h"
#include "editor/editorstate.h"
#include "panel/panelstate.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/modal.h"
#include "tests/support/sandbox.h"

#include <QAccessible>
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
    // Presses Save and answers the message box it brings up, then the one that one brings up; the last one's text.
    QString answer(QMessageBox::StandardButton button, QMessageBox::StandardButton next = QMessageBox::NoButton)
    {
        QString text;
        onNextModal<QMessageBox>([&](QMessageBox *box) {
            if (next != QMessageBox::NoButton)
                onNextModal<QMessageBox>([&](QMessageBox *then) { text = then->text(), then->button(next)->click(); });
            text = box->text(), box->button(button)->click();
        });
        press(QDialogButtonBox::Save);
        return text;
    }
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
        editor.reset(new moreSettings);
        editor->show();
    }

    // Cancel leaves the file byte for byte as it was; Save writes every change at once, and cuts nothing short.
    void cancelAndSave()
    {
        const QByteArray before = sandbox::readFile(buttonsFilePath());
        for (const auto closing : { QDialogButtonBox::Cancel, QDialogButtonBox::Save }) {
            init();
            click(2);
            field("lineEdit_title")->setText("changed");
            field("lineEdit_background")->setText("#00ff00");
            drag(2, 1);
            press(closing);
            QVERIFY(!editor->isVisible());
            QCOMPARE(sandbox::readFile(buttonsFilePath()) == before, closing == QDialogButtonBox::Cancel);
        }
        QCOMPARE(stored(1, titleMember) + stored(1, backgroundMember) + stored(2, pathMember)
                + QString::number(stored(2, iconMember).size()),
            "changed#00ff00/bin/true40000");
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
        press(QDialogButtonBox::Reset);
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
        answer(QMessageBox::Cancel);
        QCOMPARE(sandbox::readFile(buttonsFilePath()), theirs);
        QVERIFY(QFile::remove(buttonsFilePath()));
        // A folder takes the file's place once the panel has seen the file go.
        QTRY_COMPARE(panelButtons[0]->toolTip(), QStringLiteral("Click to set an application"));
        QVERIFY(QDir().mkpath(buttonsFilePath()));
        QCOMPARE(answer(QMessageBox::Save, QMessageBox::Ok).left(7), QStringLiteral("The but"));
        QVERIFY(editor->isVisible() && QDir().rmdir(buttonsFilePath()));
        answer(QMessageBox::Save);
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

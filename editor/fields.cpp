#include "editor/moresettings.h"
#include "ui_moresettings.h"

#include "app/dialogs.h"
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "buttons/document.h"
#include "editor/editorstate.h"

#include <QFileInfo>
#include <QMenu>
#include <QPalette>
#include <QPushButton>

// Every change of a field's text goes straight into the document; the
// program itself changes a button by setting a field and letting its slot
// write, so there is one way in for each member. Filling the fields on a
// selection writes nothing, since they then show what the document holds.

static QString selectedButtonPath()
{
    return folderPrefix + buttonKey(selectedButton);
}

// Typing in one field of one button is one step of the history.
enum FieldStep { PathStep = 1, IconStep, TitleStep, BackgroundStep };

void moreSettings::editField(int mergeId, const QString &member, const QString &text)
{
    const QString path = selectedButtonPath() + QLatin1Char('.') + member;
    if (getJsonDocument(path).toString() == text)
        return;
    recordEdit(mergeId, tr("Edit Button"), [&] {
        setJsonDocument(path, text);
        // Also for a title: the grid button's accessible name is its title.
        setButtonsConfiguration(selectedButton - 1);
    });
}

void moreSettings::on_lineEdit_url_textChanged(const QString &arg1)
{
    // A folder's Back position has no path of its own: the field only shows
    // the "FolderBack" placeholder, which must never reach the file.
    if (!folderPrefix.isEmpty() && selectedButton == 1) {
        setButtonsConfiguration(0);
        return;
    }
    editField(PathStep, pathMember, arg1);
}

void moreSettings::on_lineEdit_icon_textChanged(const QString &arg1)
{
    editField(IconStep, iconMember, arg1);
}

void moreSettings::on_lineEdit_title_textChanged(const QString &arg1)
{
    editField(TitleStep, titleMember, arg1);
}

void moreSettings::on_lineEdit_background_textChanged(const QString &arg1)
{
    // The redraw puts "#000000" in the document while the text is not yet a
    // colour; the field keeps what the user typed.
    editField(BackgroundStep, backgroundMember, arg1);
}

// A target is a file to start or open, or a folder to open: Browse asks
// which first.
void moreSettings::on_pushButton_browsePath_clicked()
{
    QMenu menu(this);
    QAction *file = menu.addAction(tr("Choose a File..."));
    menu.addAction(tr("Choose a Folder..."));
    QPushButton *browse = ui->pushButton_browsePath;
    menu.setActiveAction(file);
    const QAction *chosen = menu.exec(browse->mapToGlobal(QPoint(0, browse->height())));
    if (!chosen)
        return;
    const QString current
        = getRealPath(getJsonDocument(selectedButtonPath() + QLatin1Char('.') + pathMember).toString());
    const QString target = chosen == file ? chooseFile(this, QStringLiteral("Select Application"), current)
                                          : chooseFolder(this, tr("Select Folder"), current);
    if (target.isEmpty())
        return;
    // The three fields are one step of the history.
    recordEdit(-1, tr("Choose Target"), [&] {
        ui->lineEdit_url->setText(quoteStoredPath(target));
        ui->lineEdit_icon->setText(quoteStoredPath(target));
        ui->lineEdit_title->setText(chosen == file ? QFileInfo(target).baseName() : QFileInfo(target).fileName());
    });
}

void moreSettings::on_pushButton_browseIcon_clicked()
{
    const QString current
        = getRealPath(getJsonDocument(selectedButtonPath() + QLatin1Char('.') + iconMember).toString());
    const QString file = chooseFile(this, QStringLiteral("Select Icon"), current);
    if (!file.isEmpty())
        ui->lineEdit_icon->setText(quoteStoredPath(file));
}

void moreSettings::on_pushButton_colorPicker_clicked()
{
    // The picker opens on the colour the field names; while that is no
    // colour yet, on the one the button shows. The button's style sheet
    // reaches its palette only once it is polished.
    const QString named = ui->lineEdit_background->text();
    QColor initial = QColor::isValidColor(named) ? QColor(named) : QColor();
    if (!initial.isValid()) {
        QPushButton *button = editorButtons[selectedButton - 1];
        button->ensurePolished();
        const QPalette palette = button->palette();
        initial = palette.brush(palette.currentColorGroup(), QPalette::Button).color();
    }
    // Modal to the editor, whose fields must not change under it.
    const QColor chosen = chooseColour(this, initial);
    if (chosen.isValid())
        ui->lineEdit_background->setText(chosen.name());
}

void moreSettings::on_pushButton_clear_path_clicked()
{
    ui->lineEdit_url->clear();
}

void moreSettings::on_pushButton_clear_title_clicked()
{
    ui->lineEdit_title->clear();
}

void moreSettings::on_pushButton_clear_icon_clicked()
{
    ui->lineEdit_icon->clear();
}

void moreSettings::on_pushButton_clear_bgr_clicked()
{
    ui->lineEdit_background->setText(QStringLiteral("#000000"));
}

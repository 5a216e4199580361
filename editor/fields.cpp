#include "editor/moresettings.h"
#include "ui_moresettings.h"

#include "app/dialogs.h"
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "buttons/document.h"
#include "editor/editorstate.h"

#include <QFileInfo>
#include <QPalette>
#include <QPushButton>

// Every change of a field's text goes straight into the document; the
// program itself changes a button by setting a field and letting its slot
// write, so there is one way in for each member.

static QString selectedButtonPath()
{
    return folderPrefix + buttonKey(selectedButton);
}

void moreSettings::on_lineEdit_url_textChanged(const QString &arg1)
{
    // A folder's Back position has no path of its own: the field only shows
    // the "FolderBack" placeholder, which must never reach the file.
    if (!folderPrefix.isEmpty() && selectedButton == 1) {
        setButtonsConfiguration(0);
        return;
    }
    setJsonDocument(selectedButtonPath() + QLatin1Char('.') + pathMember, arg1);
    setButtonsConfiguration(selectedButton - 1);
}

void moreSettings::on_lineEdit_icon_textChanged(const QString &arg1)
{
    setJsonDocument(selectedButtonPath() + QLatin1Char('.') + iconMember, arg1);
    setButtonsConfiguration(selectedButton - 1);
}

void moreSettings::on_lineEdit_title_textChanged(const QString &arg1)
{
    // The grid button's accessible name is its title.
    setJsonDocument(selectedButtonPath() + QLatin1Char('.') + titleMember, arg1);
    setButtonsConfiguration(selectedButton - 1);
}

void moreSettings::on_lineEdit_background_textChanged(const QString &arg1)
{
    // The redraw puts "#000000" in the document while the text is not yet a
    // colour; the field keeps what the user typed.
    setJsonDocument(selectedButtonPath() + QLatin1Char('.') + backgroundMember, arg1);
    setButtonsConfiguration(selectedButton - 1);
}

void moreSettings::on_pushButton_browsePath_clicked()
{
    const QString current
        = getRealPath(getJsonDocument(selectedButtonPath() + QLatin1Char('.') + pathMember).toString());
    const QString file = chooseFile(this, QStringLiteral("Select Application"), current);
    if (file.isEmpty())
        return;
    ui->lineEdit_url->setText(quoteStoredPath(file));
    ui->lineEdit_icon->setText(quoteStoredPath(file));
    ui->lineEdit_title->setText(QFileInfo(file).baseName());
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
    // The button's style sheet reaches its palette only once it is polished.
    QPushButton *button = editorButtons[selectedButton - 1];
    button->ensurePolished();
    const QPalette palette = button->palette();
    const QColor current = palette.brush(palette.currentColorGroup(), QPalette::Button).color();
    // Black is every new button's colour; the picker is more useful opening
    // on white there.
    const QColor initial = current == QColor(Qt::black) ? QColor(Qt::white) : current;
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

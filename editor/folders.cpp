#include "editor/moresettings.h"
#include "ui_moresettings.h"

#include "app/dialogs.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "editor/editorstate.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QJsonObject>

void moreSettings::createFolder()
{
    const QString button = folderPrefix + buttonKey(selectedButton);

    // One click must not wipe a whole folder tree: a folder that holds a
    // level stays as it is. Reset it first to start an empty one.
    const QJsonValue current = QJsonValue::fromVariant(getJsonDocument(button));
    if (isFolder(current) && current.toObject().value(folderMember).isObject())
        return;

    setJsonDocument(button + QLatin1Char('.') + folderMember, newFolderLevel());
    setJsonDocument(button + QLatin1Char('.') + pathMember, folderMarker);
    setJsonDocument(button + QLatin1Char('.') + titleMember, QStringLiteral("Folder"));
    setJsonDocument(button + QLatin1Char('.') + iconMember, QStringLiteral(":/res/folder.png"));
    setJsonDocument(button + QLatin1Char('.') + backgroundMember, QStringLiteral("#000000"));
    setButtonsConfiguration(selectedButton - 1);
    getButtonsDetails(selectedButton - 1);
}

void moreSettings::on_pushButton_setToFolder_clicked()
{
    createFolder();
}

bool moreSettings::mayOverwriteFile()
{
    if (readButtonsFile(jsonFile.fileName()).bytes == m_readBytes)
        return true;
    return askUser(this, QMessageBox::Question, windowTitle(),
               tr("%1 was changed elsewhere since the settings were opened.\n"
                  "Save over those changes, or cancel and keep your edits here?")
                   .arg(QDir::toNativeSeparators(jsonFile.fileName())),
               QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Cancel)
        == QMessageBox::Save;
}

bool moreSettings::mayDiscardEdits()
{
    if (jsonDocument == m_readDocument)
        return true;
    return askUser(this, QMessageBox::Question, windowTitle(),
               tr("The settings have changes that are not saved.\nQuit Zarvel and discard them?"),
               QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel)
        == QMessageBox::Discard;
}

void moreSettings::on_buttonBox_clicked(QAbstractButton *button)
{
    const QString selected = folderPrefix + buttonKey(selectedButton);
    const bool backCase = selectedButton == 1 && !folderPrefix.isEmpty();

    switch (ui->buttonBox->standardButton(button)) {
    case QDialogButtonBox::Save:
        if (!mayOverwriteFile())
            return;
        saveJson();
        if (!m_jsonSaved) {
            // Closing now would throw the edits away with the dialog's run.
            askUser(this, QMessageBox::Warning, windowTitle(),
                tr("The buttons could not be saved to %1.\nYour changes are still here; "
                   "save again or cancel them.")
                    .arg(QDir::toNativeSeparators(jsonFile.fileName())),
                QMessageBox::Ok);
            return;
        }
        close();
        break;
    case QDialogButtonBox::Cancel:
        close();
        break;
    case QDialogButtonBox::Reset:
        if (backCase) {
            ui->lineEdit_title->setText(backTitle);
            ui->lineEdit_icon->setText(backIcon);
        } else {
            ui->lineEdit_url->clear();
            ui->lineEdit_title->clear();
            ui->lineEdit_icon->clear();
        }
        ui->lineEdit_background->setText(QStringLiteral("#000000"));
        setJsonDocument(selected + QLatin1Char('.') + folderMember, QVariant());
        break;
    default:
        break;
    }
}

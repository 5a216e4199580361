#include "editor/moresettings.h"
#include "ui_moresettings.h"

#include "app/dialogs.h"
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "buttons/document.h"
#include "editor/editorstate.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QJsonObject>
#include <QUndoStack>

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

// How a question names button `n` of the folder shown: its number, and
// its title or else its target when it has one.
static QString buttonName(moreSettings *editor, int n, const QString &title, const QString &target)
{
    const QString name = !title.isEmpty() ? title : targetName(target);
    return name.isEmpty() ? editor->tr("button %1").arg(n) : editor->tr("button %1 (\"%2\")").arg(n).arg(name);
}

void moreSettings::on_pushButton_setToFolder_clicked()
{
    // Only a target is lost here: an empty button or a folder asks nothing.
    const QString button = folderPrefix + buttonKey(selectedButton);
    const QString target = getJsonDocument(button + QLatin1Char('.') + pathMember).toString();
    if (!target.isEmpty() && target != folderMarker
        && askUser(this, QMessageBox::Question, windowTitle(),
               tr("Make %1 a folder?\nIt no longer opens its target.")
                   .arg(buttonName(this, selectedButton,
                       getJsonDocument(button + QLatin1Char('.') + titleMember).toString(), target)),
               QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel)
            != QMessageBox::Yes)
        return;
    recordEdit(-1, tr("Set to Folder"), [this] { createFolder(); });
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

bool moreSettings::hasEdits() const
{
    // Undone to where it began, or changed back by hand.
    return !m_history->isClean() && jsonDocument != m_readDocument;
}

bool moreSettings::mayDiscardEdits()
{
    if (!hasEdits())
        return true;
    switch (askUser(this, QMessageBox::Question, tr("Unsaved Changes - Zarvel"), tr("Save changes?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
    case QMessageBox::Save:
        return saveEdits();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void moreSettings::reject()
{
    if (mayDiscardEdits())
        QDialog::reject();
}

bool moreSettings::saveEdits()
{
    if (!mayOverwriteFile())
        return false;
    saveJson();
    if (!m_jsonSaved) {
        // Closing now would throw the edits away with the dialog's run.
        askUser(this, QMessageBox::Warning, windowTitle(),
            tr("The buttons could not be saved to %1.\nYour changes are still here; "
               "save again or cancel them.")
                .arg(QDir::toNativeSeparators(jsonFile.fileName())),
            QMessageBox::Ok);
        return false;
    }
    // What the file holds now is where the dialog stands.
    m_readBytes = readButtonsFile(jsonFile.fileName()).bytes;
    m_readDocument = jsonDocument;
    m_history->setClean();
    return true;
}

void moreSettings::on_buttonBox_clicked(QAbstractButton *button)
{
    const QString selected = folderPrefix + buttonKey(selectedButton);
    const bool backCase = selectedButton == 1 && !folderPrefix.isEmpty();

    switch (ui->buttonBox->standardButton(button)) {
    case QDialogButtonBox::Save:
        if (saveEdits())
            close();
        break;
    case QDialogButtonBox::Cancel:
        close();
        break;
    case QDialogButtonBox::Reset:
        if (askUser(this, QMessageBox::Question, windowTitle(),
                tr("Reset %1?")
                    .arg(backCase ? tr("the Back button")
                                  : buttonName(this, selectedButton, ui->lineEdit_title->text(),
                                      getJsonDocument(selected + QLatin1Char('.') + pathMember).toString())),
                QMessageBox::Reset | QMessageBox::Cancel, QMessageBox::Cancel)
            != QMessageBox::Reset)
            return;
        recordEdit(-1, tr("Reset Button"), [&] {
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
        });
        break;
    default:
        break;
    }
}

#include "editor/moresettings.h"
#include "ui_moresettings.h"

#include "editor/editorstate.h"
#include "panel/buttonsfile.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QJsonObject>
#include <QMessageBox>

// Slot 1 of a new folder: the way back. The panel treats slot 1 of a folder
// as Back whatever it stores, so it carries no path.
static QJsonObject backButton()
{
    return QJsonObject {
        { QStringLiteral("icon"), QStringLiteral(":/res/back.png") },
        { QStringLiteral("title"), QStringLiteral("Back") },
        { QStringLiteral("background"), QStringLiteral("#000000") },
        { QStringLiteral("folder"), QJsonValue::Null },
    };
}

void moreSettings::createFolder()
{
    const QString button = folderPrefix + buttonKey(selectedButton);

    // One click must not wipe a whole folder tree: a button that already is
    // a folder stays as it is. Reset it first to start an empty one.
    if (getJsonDocument(button + QStringLiteral(".path")).toString() == QLatin1String("Folder")
        && getJsonDocument(button + QStringLiteral(".folder")).userType() == QMetaType::QVariantMap)
        return;

    QJsonObject folder;
    for (int k = 1; k <= buttonCount; ++k)
        folder.insert(buttonKey(k), k == 1 ? backButton() : defaultButton());

    setJsonDocument(button + QStringLiteral(".folder"), folder);
    setJsonDocument(button + QStringLiteral(".path"), QStringLiteral("Folder"));
    setJsonDocument(button + QStringLiteral(".title"), QStringLiteral("Folder"));
    setJsonDocument(button + QStringLiteral(".icon"), QStringLiteral(":/res/folder.png"));
    setJsonDocument(button + QStringLiteral(".background"), QStringLiteral("#000000"));
    setButtonsConfiguration(selectedButton - 1);
    getButtonsDetails(selectedButton - 1);
}

void moreSettings::on_pushButton_setToFolder_clicked()
{
    createFolder();
}

void moreSettings::on_buttonBox_clicked(QAbstractButton *button)
{
    const QString selected = folderPrefix + buttonKey(selectedButton);
    const bool backCase = selectedButton == 1 && !folderPrefix.isEmpty();

    switch (ui->buttonBox->standardButton(button)) {
    case QDialogButtonBox::Save:
        saveJson();
        if (!jsonSaved) {
            // Closing now would throw the edits away with the dialog's run.
            QMessageBox::warning(this, windowTitle(),
                tr("The buttons could not be saved to %1.\nYour changes are still here; "
                   "save again or cancel them.")
                    .arg(QDir::toNativeSeparators(jsonFile.fileName())));
            return;
        }
        close();
        break;
    case QDialogButtonBox::Cancel:
        close();
        break;
    case QDialogButtonBox::Reset:
        if (backCase) {
            ui->lineEdit_title->setText(QStringLiteral("Back"));
            ui->lineEdit_icon->setText(QStringLiteral(":/res/back.png"));
        } else {
            ui->lineEdit_url->clear();
            ui->lineEdit_title->clear();
            ui->lineEdit_icon->clear();
        }
        ui->lineEdit_background->setText(QStringLiteral("#000000"));
        setJsonDocument(selected + QStringLiteral(".folder"), QVariant());
        break;
    default:
        break;
    }
}

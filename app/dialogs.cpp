#include "app/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>

int execDialog(QDialog &dialog)
{
    // Set before exec(), which would make the dialog application-modal.
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

QString chooseFile(QWidget *parent, const QString &caption, const QString &start)
{
    QFileDialog dialog(parent, caption, start);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return execDialog(dialog) == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString chooseFolder(QWidget *parent, const QString &caption, const QString &start)
{
    QFileDialog dialog(parent, caption, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return execDialog(dialog) == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QColor chooseColour(QWidget *parent, const QColor &initial)
{
    QColorDialog dialog(initial, parent);
    return execDialog(dialog) == QDialog::Accepted ? dialog.selectedColor() : QColor();
}

QMessageBox::StandardButton askUser(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    execDialog(box);
    return box.standardButton(box.clickedButton());
}

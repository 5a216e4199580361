#pragma once

#include "buttons/buttonstyle.h"

#include <QDialog>
#include <QFileIconProvider>
#include <QJsonDocument>
#include <QString>
#include <QVariant>

#include <functional>

class QAbstractButton;
class QTimer;
class QUndoStack;

namespace Ui {
class moreSettings;
}

// The settings editor: the grid of buttons on the left, the selected
// button's fields on the right. It works on its own copy of buttons.json
// (see editor/editorstate.h) and writes it back only on Save. The panel runs
// it modally, one at a time.
class moreSettings : public QDialog {
    Q_OBJECT

public:
    explicit moreSettings(QWidget *parent = nullptr);
    ~moreSettings() override;

    // Presses, releases and Enter events of the grid buttons make the
    // drag-swap; double-clicks move between folders; neither is consumed.
    // Undo and redo keys in a field go to the editor's history instead of
    // the field's own.
    bool eventFilter(QObject *watched, QEvent *event) override;

    // True when the dialog may go: there are no edits, or the user saved or
    // discarded them when asked; false when the user keeps editing (or a
    // save failed). Escape, Cancel, the close button and quitting ask it.
    bool mayDiscardEdits();

    // Escape, Cancel and the window's close button end here.
    void reject() override;

private slots:
    void readJson();
    void saveJson();
    QVariant getJsonDocument(QString path);
    void setJsonDocument(QString path, QVariant new_value);
    void setButtonsLayout();
    void setButtonsConfiguration(int buttonIndex);
    QString getRealPath(QString pathWithQuote);
    void createFolder();
    void buttonClick();
    void getButtonsDetails(int buttonIndex);
    void on_lineEdit_url_textChanged(const QString &arg1);
    void on_lineEdit_icon_textChanged(const QString &arg1);
    void on_lineEdit_title_textChanged(const QString &arg1);
    void on_lineEdit_background_textChanged(const QString &arg1);
    void on_pushButton_browsePath_clicked();
    void on_pushButton_setToFolder_clicked();
    void on_pushButton_browseIcon_clicked();
    void on_pushButton_colorPicker_clicked();
    void on_pushButton_clear_path_clicked();
    void on_pushButton_clear_title_clicked();
    void on_pushButton_clear_icon_clicked();
    void on_pushButton_clear_bgr_clicked();
    void on_buttonBox_clicked(QAbstractButton *button);

private:
    // Whether the file still holds what the dialog read; if not, asks
    // whether Save may replace what someone else wrote meanwhile.
    bool mayOverwriteFile();
    // The drag-swap onto `target`, and a double-click into or out of a
    // folder.
    void dropOn(int target);
    void openFolderAt(int position);

    // Every change the user makes goes through recordEdit: `change` runs,
    // and what it did to the document becomes one step of the history.
    // Steps of one `mergeId` (not -1) on one button merge, so that typing
    // in a field is undone at once.
    void recordEdit(int mergeId, const QString &text, const std::function<void()> &change);
    // A field's text written to `member` of the selected button, when it
    // differs from what the document holds there.
    void editField(int mergeId, const QString &member, const QString &text);
    // The document of a step restored, shown in the folder it was made in.
    void showDocument(const QJsonDocument &document, const QString &prefix, int selected);
    bool hasEdits() const;
    // Save's overwrite check, write and failure warning; whether it saved.
    bool saveEdits();

    Ui::moreSettings *ui;
    // The file's bytes and the document as this dialog read them.
    QByteArray m_readBytes;
    QJsonDocument m_readDocument;
    // Whether the last saveJson() left the document in the file.
    bool m_jsonSaved = true;
    QFileIconProvider iconProvider;
    ButtonIcons m_icons;
    // Clears dropPending 10 ms after the latest release on a grid button.
    QTimer *m_dropTimer;
    QUndoStack *m_history;
    // Inside recordEdit, or restoring a step: changes are not steps of their
    // own.
    bool m_recording = false;

    // Tests, fuzz targets and benchmarks reach the private operations
    // through this class (tests/support/access.h), so that renaming one
    // fails to compile there.
    friend class EditorAccess;
    friend class DocumentStep;
};

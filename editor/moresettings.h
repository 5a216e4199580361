#pragma once

#include "buttons/buttonstyle.h"

#include <QDialog>
#include <QFileIconProvider>
#include <QJsonDocument>
#include <QString>
#include <QVariant>

class QAbstractButton;
class QTimer;

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
    // drag-swap; double-clicks move between folders. Never consumes.
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Whether the buttons differ from what the dialog read, and if so asks
    // the user whether they may be thrown away (before quitting).
    bool mayDiscardEdits();

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

    // Tests, fuzz targets and benchmarks reach the private operations
    // through this class (tests/support/access.h), so that renaming one
    // fails to compile there.
    friend class EditorAccess;
};

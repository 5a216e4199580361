#pragma once

#include "buttons/buttonstyle.h"
#include "buttons/document.h"

#include <QFileIconProvider>
#include <QMainWindow>

class QFileSystemWatcher;
class QJsonObject;

namespace Ui {
class MainWindow;
}

// The panel itself: the form, the grid of buttons drawn from the buttons
// file, and what a click on a button does (open a folder, go back, start
// its target). The main program's window (MainWindow) and the Wayland
// panel host's (host/hostwindow.h) are both one; each says how it assigns
// an empty button, opens the settings and tells the user something. Its
// shared state is in panel/panelstate.h.
class Panel : public QMainWindow {
    Q_OBJECT

public:
    ~Panel() override;

protected:
    explicit Panel(QWidget *parent = nullptr);

    // Fills the window with the form and the grid, before anything is drawn.
    void buildForm();
    // Redraws the panel whenever the buttons file changes.
    void watchButtonsFile();
    void setButtonsConfiguration();
    void drawButtons(const QJsonObject &root);

    // A click on an empty button (slot n of the level shown).
    virtual void assignFile(int n) = 0;
    // Says something the user must know.
    virtual void tellUser(const QString &message) = 0;

    void mousePressEvent(QMouseEvent *event) override;

    Ui::MainWindow *ui;
    FolderPath folderStack;

protected slots:
    // The form's settings button.
    virtual void on_pushButton_settings_clicked() = 0;

private slots:
    void buttonClick();
    QString getRealPath(QString pathWithQuote);

private:
    void setButtonsLayout();
    // The steps of a click on slot n, in launching.cpp.
    // Each takes the document the click read, so that a click reads the
    // file once.
    bool redrawIfChanged(int n, const QJsonObject &root);
    void renewFileWatch();
    void enterFolder(int n, const QJsonObject &root);
    void goBack(const QJsonObject &root);
    void launch(const QString &storedPath);

    QFileSystemWatcher *fileWatcher = nullptr;
    QFileIconProvider iconProvider;
    ButtonIcons buttonIcons;

    friend class PanelAccess;
};

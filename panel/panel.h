#pragma once

#include "buttons/buttonstyle.h"
#include "buttons/document.h"

#include <QFileIconProvider>
#include <QMainWindow>

class QFileSystemWatcher;
class QJsonObject;
class QKeyEvent;

namespace Ui {
class MainWindow;
}

// The panel itself: the form, the grid of buttons drawn from the buttons
// file, and what a click on a button does (open a folder, go back, start
// its target), by the mouse or the keyboard. The main program's window
// (MainWindow) and the Wayland panel host's (host/hostwindow.h) are both
// one; each says how it assigns an empty button, opens the settings and
// tells the user something. Its shared state is in panel/panelstate.h.
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
    // The keyboard, in keys.cpp: the grid's buttons hand every key press to
    // the panel, so that the keys mean the same on every platform.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

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
    // The keys' steps, in keys.cpp.
    bool keyPressed(const QKeyEvent &key);
    int focusedSlot() const; // 0: none
    void focusSlot(int n); // and marks it
    void markFocus();
    void typeAhead(const QString &text, ulong timestamp);

    QFileSystemWatcher *fileWatcher = nullptr;
    QFileIconProvider iconProvider;
    ButtonIcons buttonIcons;
    // The name every slot of the level shown goes by: its title, else its
    // target's name.
    QStringList slotTitles;
    // Where the keyboard's focus is, once a key was used since the panel
    // showed; made at the first key.
    QWidget *keyMark = nullptr;
    // The start of a title being typed, and when its last key came.
    QString typed;
    ulong typedAt = 0;

    friend class PanelAccess;
};

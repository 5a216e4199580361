#pragma once

#include <QFileIconProvider>
#include <QMainWindow>
#include <QVector>

namespace Ui {
class MainWindow;
}

// The panel: a frameless, always-on-top tool window holding the grid of
// buttons. It is created once by main() and hidden until the trigger, the
// tray's "Show Window" entry or a test shows it.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    bool event(QEvent *e) override;
    void mousePressEvent(QMouseEvent *event) override;

private slots:
    void setup();
    void createSystemTray();
    void createStartupShortcut();
    void createSettingsJson();
    void setButtonsLayout();
    void setButtonsConfiguration();
    QString getRealPath(QString pathWithQuote);
    void timerCheckMouse();
    void checkMouse();
    void buttonClick();
    void showWindow();
    void enableSystem();
    void on_pushButton_settings_clicked();
    void showUpdateWindow();
    void checkUpdates();
    void showAboutWindow();
    void reopen();

private:
    Ui::MainWindow *ui;
    QVector<int> folderStack;
    QFileIconProvider iconProvider;
};

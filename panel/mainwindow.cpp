#include "panel/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/config.h"
#include "app/resources.h"
#include "buttons/buttonsfile.h"
#include "panel/panelstate.h"
#include "platform/platform.h"

#include <QDir>
#include <QFont>
#include <QStandardPaths>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui((initResources(), new Ui::MainWindow))
{
    ui->setupUi(this);
    setup();
    enableSystem();
    setButtonsLayout();
    setButtonsConfiguration();
    if (firstArgument != QLatin1String("-checkupdate"))
        checkUpdates();
}

MainWindow::~MainWindow()
{
    // The trigger's file-scope state belongs to this one panel; a panel made
    // later (the tests make several) starts again from the start values.
    systemEnabled = false;
    settingsOpen = false;
    checkMouseTimer = nullptr;
    enableAction = nullptr;
    trayIcon = nullptr;
    delete ui;
}

void MainWindow::setup()
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    if (configValue(QStringLiteral("type")).toString() == QLatin1String("Lite")) {
        QFont font = ui->label->font();
        font.setPointSize(12);
        ui->label->setFont(font);
    }
    createSystemTray();
    createStartupShortcut();
    createSettingsJson();
}

// A press on the panel's own surface neither moves it nor reaches the base.
void MainWindow::mousePressEvent(QMouseEvent *)
{
}

void MainWindow::createStartupShortcut()
{
    Platform::instance().createAutostartEntry();
}

void MainWindow::createSettingsJson()
{
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QString backup;
    switch (ensureButtonsFile(buttonsFilePath(), &backup)) {
    case ButtonsFileCheck::ReplacedCorrupt:
        if (!backup.isEmpty())
            qWarning("Zarvel: %s was not a valid buttons file; it is kept as %s and the default buttons "
                     "replace it.",
                     qUtf8Printable(buttonsFilePath()), qUtf8Printable(backup));
        break;
    case ButtonsFileCheck::Unreadable:
        qWarning("Zarvel: %s cannot be read; it is left as it is.", qUtf8Printable(buttonsFilePath()));
        break;
    case ButtonsFileCheck::NotRegular:
        qWarning("Zarvel: %s is not a regular file; it is left as it is.", qUtf8Printable(buttonsFilePath()));
        break;
    case ButtonsFileCheck::WriteFailed:
        qWarning("Zarvel: %s could not be written.", qUtf8Printable(buttonsFilePath()));
        break;
    default:
        break;
    }
}

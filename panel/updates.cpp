#include "panel/mainwindow.h"

#include "app/config.h"
#include "app/dialogs.h"
#include "platform/commandchannel.h"
#include "platform/environment.h"
#include "platform/platform.h"
#include "platform/updatecommand.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

void MainWindow::showUpdateWindow()
{
    if (raiseOpenDialog())
        return;
    QMessageBox box;
    box.setWindowFlags(box.windowFlags() & ~Qt::WindowContextHelpButtonHint);
    box.setWindowTitle(tr("Updates - Zarvel ") + configValue(QStringLiteral("type")).toString());
    box.setIcon(QMessageBox::Information);
    box.setText(tr("Please be advised that the Zarvel will be closed during the update\n"
                   "and will automatically reopen once the update is complete."));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(tr("  Check for Updates  "));
    box.button(QMessageBox::No)->setText(tr("Cancel"));
    if (execDialog(box) != QMessageBox::Yes)
        return;

    checkUpdates();
    if (lastHandOver.started)
        return;

    // Quitting without an updater would end Zarvel with nothing to bring it
    // back; it keeps running and says why nothing happened.
    QMessageBox failure;
    failure.setWindowFlags(failure.windowFlags() & ~Qt::WindowContextHelpButtonHint);
    failure.setWindowTitle(box.windowTitle());
    failure.setIcon(QMessageBox::Warning);
    failure.setText(lastHandOver.error + QLatin1Char('\n') + tr("Zarvel keeps running without checking for updates."));
    execDialog(failure);
}

void MainWindow::checkUpdates()
{
    const QString version = appVersion;
    const QString versionUrl = updaterVersionUrl(updateBaseUrl, configValue(QStringLiteral("type")).toString());
    lastHandOver = Platform::instance().startUpdater(version, versionUrl);
    if (!lastHandOver.started) {
        // Without an updater this run simply stays, as a normal run.
        qWarning("Zarvel: %s Running without the update check.", qUtf8Printable(lastHandOver.error));
        return;
    }

    // The Zarvel the updater starts must find no other one answering.
    if (commandServer)
        commandServer->close();

    // The quit waits for the event loop, so that a hand-over from the
    // constructor still lets main() start it and end it cleanly.
    auto *quitTimer = new QTimer(this);
    quitTimer->setObjectName(QStringLiteral("updateQuitTimer"));
    connect(quitTimer, &QTimer::timeout, this, &QCoreApplication::quit);
    quitTimer->setInterval(10);
    quitTimer->start();
}

void MainWindow::reopen()
{
    // This program's own file, not a name in the working directory: the
    // working directory need not hold the program.
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments({ QStringLiteral("-checkupdate") });
    process.setProcessEnvironment(givenEnvironment());
    process.startDetached();
}

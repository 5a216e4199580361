#include "panel/mainwindow.h"

#include "app/config.h"
#include "app/dialogs.h"
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "panel/elide.h"
#include "panel/panelstate.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

void Panel::buttonClick()
{
    const QObject *origin = sender();
    bool isNumber = false;
    const int n = origin ? origin->objectName().toInt(&isNumber) : 0;
    if (!isNumber || n < 1 || n > buttonCount || n > buttonPaths.size())
        return;
    const QJsonObject root = readButtonsObject(buttonsFilePath());
    if (redrawIfChanged(n, root))
        return;

    const QString path = buttonPaths.at(n - 1);
    if (path == folderMarker)
        enterFolder(n, root);
    else if (path == folderBackMarker)
        goBack(root);
    else if (!path.isEmpty())
        launch(path);
    else
        assignFile(n);
}

// The file may have changed since the panel drew it (by hand, by another
// program, or the settings editor turned an entered folder into a plain
// button). A click never acts on what the file no longer holds: a level
// that is gone returns to the top level, and a slot whose target changed is
// drawn anew for the user to see before anything starts.
bool Panel::redrawIfChanged(int n, const QJsonObject &root)
{
    QJsonObject level;
    if (!levelAt(root, folderStack, &level))
        folderStack.clear();
    else if ((n == 1 && !folderStack.isEmpty())
        || level.value(buttonKey(n)).toObject().value(pathMember).toString() == buttonPaths.at(n - 1))
        return false;
    drawButtons(root);
    return true;
}

void Panel::enterFolder(int n, const QJsonObject &root)
{
    folderStack.append(n);
    drawButtons(root);
}

void Panel::goBack(const QJsonObject &root)
{
    if (!folderStack.isEmpty())
        folderStack.removeLast();
    drawButtons(root);
}

void Panel::launch(const QString &storedPath)
{
    // Hidden first: the panel has done its part, and a slow desktop opener
    // must not keep it on screen.
    hide();
    const QString name = targetName(storedPath);
    const QPointer<Panel> window(this);
    const auto report = [window, name](const QString &reason) {
        if (window)
            window->tellUser(tr("%1 could not be started: %2.")
                                 .arg(name.isEmpty() ? tr("The button") : elideMiddle(name, 100),
                                     reason.isEmpty() ? tr("it could not be started") : elideMiddle(reason, 250)));
    };
    const Platform::StartResult result = Platform::instance().startTarget(storedPath, report);
    if (!result.started)
        report(result.error);
}

void MainWindow::assignFile(int n)
{
    const QString chosen = chooseFile(this, tr("Select Application"), QDir::homePath());
    if (chosen.isEmpty()) {
        setButtonsConfiguration();
        return;
    }

    // Read again: the file may have changed while the dialog was open. One
    // that exists but cannot be read, or does not hold an object, is left
    // alone: writing one button over it would throw away all else it holds.
    const ButtonsRead read = readButtonsFile(buttonsFilePath());
    QJsonObject root = read.status == ReadStatus::Missing ? defaultButtonsLevel() : read.root;
    if (read.status != ReadStatus::Ok && read.status != ReadStatus::Missing) {
        tellUser(tr("%1 cannot be read, so the button was not set.").arg(buttonsFilePath()));
        setButtonsConfiguration();
        return;
    }

    QJsonObject level;
    if (!levelAt(root, folderStack, &level)) {
        folderStack.clear();
        tellUser(tr("The folder changed while the file was chosen, so the button was not set."));
        setButtonsConfiguration();
        return;
    }
    const QJsonValue existing = level.value(buttonKey(n));
    QJsonObject button = existing.isObject() ? existing.toObject() : defaultButton();
    const QString stored = quoteStoredPath(chosen);
    button.insert(pathMember, stored);
    button.insert(iconMember, stored);
    button.insert(titleMember, QFileInfo(chosen).baseName());
    storeButton(&root, folderStack, n, button);

    if (!writeButtonsDocument(buttonsFilePath(), root))
        tellUser(tr("%1 could not be saved, so the button was not set.").arg(buttonsFilePath()));
    setButtonsConfiguration();
}

#include "panel/mainwindow.h"

#include "app/config.h"
#include "panel/buttonsfile.h"
#include "panel/buttonstyle.h"
#include "panel/panelstate.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonParseError>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QVector>

static const QString pathMember = QStringLiteral("path");
static const QString folderMember = QStringLiteral("folder");
static const QString folderMarker = QStringLiteral("Folder");
static const QString folderBackMarker = QStringLiteral("FolderBack");

// What the user calls a stored target: the file name of its program, or the
// whole address of a URL.
static QString targetName(const QString &storedPath)
{
    const QString first = QProcess::splitCommand(storedPath).value(0, storedPath.trimmed());
    if (first.contains(QLatin1String("://")))
        return first;
    const QString name = QFileInfo(first).fileName();
    return name.isEmpty() ? first : name;
}

// The panel is hidden whenever something goes wrong after a click, so the
// tray is the only place left to say so; without a tray the note goes to
// the log.
static void tellUser(const QString &message)
{
    if (trayIcon && trayIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable()
        && QSystemTrayIcon::supportsMessages())
        trayIcon->showMessage(QStringLiteral("Zarvel"), message, QSystemTrayIcon::Warning);
    qWarning("Zarvel: %s", qUtf8Printable(message));
}

// The member that makes `button` a folder, when it is one: an object whose
// "path" is "Folder" and whose "folder" is a level.
static bool isFolderButton(const QJsonValue &button)
{
    const QJsonObject object = button.toObject();
    return button.isObject() && object.value(pathMember).toString() == folderMarker
        && object.value(folderMember).isObject();
}

// Whether every entry of `stack` still names a folder in `root`.
static bool stackNamesFolders(QJsonObject level, const QVector<int> &stack)
{
    for (int k : stack) {
        const QJsonValue button = level.value(buttonKey(k));
        if (!isFolderButton(button))
            return false;
        level = button.toObject().value(folderMember).toObject();
    }
    return true;
}

// The document an assignment changes. A file that exists but cannot be read
// or does not hold an object is left alone: writing one button over it would
// throw away everything else it holds.
static bool readDocumentForChange(QJsonObject *root)
{
    if (!buttonsFile.exists()) {
        *root = defaultButtonsLevel();
        return true;
    }
    if (!buttonsFile.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = buttonsFile.readAll();
    const bool readFailed = buttonsFile.error() != QFileDevice::NoError;
    buttonsFile.close();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (readFailed || error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    *root = document.object();
    return true;
}

void MainWindow::buttonClick()
{
    const QObject *origin = sender();
    if (!origin)
        return;
    bool isNumber = false;
    const int n = origin->objectName().toInt(&isNumber);
    if (!isNumber || n < 1 || n > buttonCount || n > buttonPaths.size())
        return;

    // The file may have changed under a folder the panel still shows (the
    // settings editor can turn it into a plain button). A click there goes
    // back to the top level instead of acting on a level that is gone.
    if (!folderStack.isEmpty() && !stackNamesFolders(readButtonsObject(buttonsFile), folderStack)) {
        folderStack.clear();
        setButtonsConfiguration();
        return;
    }

    const QString path = buttonPaths.at(n - 1);
    if (path == folderMarker) {
        folderStack.append(n);
        setButtonsConfiguration();
        return;
    }
    if (path == folderBackMarker) {
        if (!folderStack.isEmpty())
            folderStack.removeLast();
        setButtonsConfiguration();
        return;
    }
    if (!path.isEmpty()) {
        // Hidden first: the panel has done its part, and a slow desktop
        // opener must not keep it on screen.
        hide();
        const Platform::StartResult result = Platform::instance().startTarget(path);
        if (!result.started) {
            const QString reason = result.error.isEmpty() ? tr("it could not be started") : result.error;
            const QString name = targetName(path);
            tellUser(tr("%1 could not be started: %2.").arg(name.isEmpty() ? tr("The button") : name, reason));
        }
        return;
    }

    const QString chosen = QFileDialog::getOpenFileName(this, tr("Select Application"), QDir::homePath(), QString());
    if (chosen.isEmpty()) {
        setButtonsConfiguration();
        return;
    }

    QJsonObject root;
    if (!readDocumentForChange(&root)) {
        tellUser(tr("%1 cannot be read, so the button was not set.").arg(buttonsFilePath()));
        setButtonsConfiguration();
        return;
    }

    // Walk down to the level shown, keeping each folder button passed, so
    // that the changed level can be put back into every enclosing one.
    QVector<QJsonObject> levels{root};
    QVector<QJsonObject> folderButtons;
    for (int k : qAsConst(folderStack)) {
        const QJsonValue button = levels.last().value(buttonKey(k));
        if (!isFolderButton(button)) {
            // Changed while the dialog was open.
            folderStack.clear();
            setButtonsConfiguration();
            return;
        }
        folderButtons.append(button.toObject());
        levels.append(button.toObject().value(folderMember).toObject());
    }

    QJsonObject &target = levels.last();
    const QJsonValue existing = target.value(buttonKey(n));
    QJsonObject button = existing.isObject() ? existing.toObject() : defaultButton();
    const QString stored = quoteStoredPath(chosen);
    button.insert(pathMember, stored);
    button.insert(QStringLiteral("icon"), stored);
    button.insert(QStringLiteral("title"), QFileInfo(chosen).baseName());
    target.insert(buttonKey(n), button);

    for (int k = folderStack.size() - 1; k >= 0; --k) {
        folderButtons[k].insert(folderMember, levels.at(k + 1));
        levels[k].insert(buttonKey(folderStack.at(k)), folderButtons.at(k));
    }

    if (!writeButtonsDocument(buttonsFilePath(), levels.first()))
        tellUser(tr("%1 could not be saved, so the button was not set.").arg(buttonsFilePath()));
    setButtonsConfiguration();
}

// The real panel over arbitrary files and clicks: folders entered and left, the file swapped under it, programs
// started on the fake platform, unset buttons assigned through the real file dialog. Nothing may crash, and a
// write-back changes only what it assigns. Input: "<clicks>\n<document>[\n--\n<second document>]": byte b clicks
// button b % buttonCount + 1, "|" swaps in the second document; only the first click on an unset button is made.
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "panel/panelstate.h"
#include "tests/fuzz/fuzzing.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"

#include <QtWidgets>

static FakePlatform platform;
static TestPanel *panel;
static QString chosen;

// Down `path` to slot n, every member but the next step stays as it was; of the buttons on the way only the
// folders' levels change, and of the one in slot n only path, icon and title, to the chosen file.
static void checkWriteBack(QJsonObject was, QJsonObject now, const FolderPath &path, int n)
{
    for (int depth = 0; depth <= path.size(); ++depth) {
        const QString step = buttonKey(depth < path.size() ? path.at(depth) : n);
        const QJsonObject wasButton = was.value(step).toObject(), nowButton = now.value(step).toObject();
        const QStringList changing
            = depth < path.size() ? QStringList { folderMember } : QStringList { pathMember, iconMember, titleMember };
        for (auto it = was.begin(); it != was.end(); ++it)
            if (it.key() != step && now.value(it.key()) != it.value())
                fuzzFailure("panel: a write-back changed a member it does not assign");
        for (auto it = wasButton.begin(); it != wasButton.end(); ++it)
            if (!changing.contains(it.key()) && nowButton.value(it.key()) != it.value())
                fuzzFailure("panel: a write-back changed a member of a button it does not assign");
        if (depth == path.size() && nowButton.value(pathMember).toString() != quoteStoredPath(chosen))
            fuzzFailure("panel: the assigned slot does not hold the chosen file");
        was = folderLevel(wasButton), now = folderLevel(nowButton);
    }
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzing(argc, argv);
    chosen = sandbox::writeProgram(sandbox::home() + "/my tool.sh"); // a name the stored text must quote
    // Answers every "Select Application" dialog that an unset button opens.
    auto *answerer = new QTimer;
    QObject::connect(answerer, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText(chosen), static_cast<QDialog *>(dialog)->accept();
    });
    answerer->start(5);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const int newline = input.indexOf('\n'), split = input.indexOf("\n--\n", newline + 1);
    const QByteArray script = input.left(qBound(0, newline, 16)),
                     first = input.mid(newline + 1, split < 0 ? -1 : split - newline - 1);
    // A new panel for each input, made over its file as a start makes it (which repairs the file).
    delete panel;
    QDir(QFileInfo(buttonsFilePath()).absolutePath()).removeRecursively();
    sandbox::writeFile(buttonsFilePath(), first);
    panel = new TestPanel(&platform);
    panel->window->show(), panel->window->grab();
    bool assigned = false;
    for (const char byte : script) {
        const int n = int(static_cast<unsigned char>(byte)) % buttonCount;
        const FolderPath path = PanelAccess::folders(*panel->window);
        const QJsonObject before = readButtonsObject(buttonsFilePath());
        if (byte == '|')
            sandbox::writeFile(buttonsFilePath(), split < 0 ? first : input.mid(split + 4));
        else if (!buttonPaths.value(n).isEmpty()
            || !std::exchange(assigned, true)) // one file dialog per input: each costs more than all else
            panelButtons[n]->click();
        const QJsonObject after = readButtonsObject(buttonsFilePath());
        if (byte != '|' && after != before)
            checkWriteBack(before, after, path, n + 1);
        panel->window->show(), panel->window->grab();
    }
    platform.startedTargets.clear();
    return 0;
}

// The real panel over arbitrary files and clicks (folders, the file swapped under it, launches, assignments through the
// real file dialog): nothing crashes, and a write-back changes only what it assigns. Input "<clicks>\n<document>
// [\n--\n<second>]": byte b clicks button b % buttonCount + 1, "|" swaps in <second>; one unset button is clicked.
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "panel/panelstate.h"
#include "tests/fuzz/fuzzing.h"
#include "tests/support/access.h"
#include "tests/support/fakeplatform.h"

#include <QtWidgets>

static FakePlatform platform;
static QString chosen;

// Down `path` to slot n, every member but the next step stays as it was; of the buttons on the way only the folders'
// levels change, and of the one in slot n only path, icon and title, to the chosen file.
static void checkWriteBack(QJsonObject was, QJsonObject now, const FolderPath &path, int n)
{
    for (int depth = 0; was != now && depth <= path.size(); ++depth) {
        const bool last = depth == path.size();
        const QString step = buttonKey(last ? n : path.at(depth));
        const QJsonObject from[] = { was, was.value(step).toObject() }, to[] = { now, now.value(step).toObject() };
        const QStringList may[]
            = { { step }, last ? QStringList { pathMember, iconMember, titleMember } : QStringList { folderMember } };
        for (int i = 0; i < 2; ++i)
            for (auto it = from[i].begin(); it != from[i].end(); ++it)
                if (!may[i].contains(it.key()) && to[i].value(it.key()) != it.value())
                    qFatal("panel: a write-back changed a member it does not assign");
        if (last && to[1].value(pathMember).toString() != quoteStoredPath(chosen))
            qFatal("panel: the assigned slot does not hold the chosen file");
        was = folderLevel(from[1]), now = folderLevel(to[1]);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (chosen.isEmpty()) { // the first input: a program to choose, and an answer to every file dialog
        chosen = sandbox::writeProgram(sandbox::home() + "/my tool.sh"); // a name the stored text must quote
        auto *answerer = new QTimer;
        QObject::connect(answerer, &QTimer::timeout, [] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
                dialog->findChild<QLineEdit *>("fileNameEdit")->setText(chosen),
                    static_cast<QDialog *>(dialog)->accept();
        });
        answerer->start(5);
    }
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const int newline = input.indexOf('\n'), split = input.indexOf("\n--\n", newline + 1);
    const QByteArray script = input.left(qBound(0, newline, 16)),
                     first = input.mid(newline + 1, split < 0 ? -1 : split - newline - 1);
    // A new panel for each input, made over its file as a start makes it (which repairs the file).
    QDir(QFileInfo(buttonsFilePath()).absolutePath()).removeRecursively();
    sandbox::writeFile(buttonsFilePath(), first);
    TestPanel panel(&platform);
    bool assigned = false;
    for (const char byte : script) {
        panel.window->show(), panel.window->grab();
        const int n = int(static_cast<unsigned char>(byte)) % buttonCount;
        const FolderPath path = PanelAccess::folders(*panel.window);
        const QJsonObject before = readButtonsObject(buttonsFilePath());
        if (byte == '|')
            sandbox::writeFile(buttonsFilePath(), split < 0 ? first : input.mid(split + 4));
        else if (!buttonPaths.value(n).isEmpty() || !std::exchange(assigned, true)) // one file dialog: they are slow
            panelButtons[n]->click(), checkWriteBack(before, readButtonsObject(buttonsFilePath()), path, n + 1);
    }
    platform.startedTargets.clear();
    return 0;
}

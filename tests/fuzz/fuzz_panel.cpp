// The panel over arbitrary files: a new panel is made over the input's
// document (which repairs it as a start does), drawn, and clicked through a
// short script of buttons, with the file changed under it half-way when the
// script says so. Folders are entered and left, programs started on the
// fake platform, and unset buttons assigned through the real file dialog.
// Nothing may crash, and whatever the clicks write must still be a complete
// document holding every member the file had before.
//
// Input: "<script>\n<document>[\n--\n<second document>]". Each script byte
// clicks button (byte % buttonCount) + 1; "|" switches the file to the
// second document. Only the first click on an unset button is made.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "tests/support/fakeplatform.h"
#include "tests/fuzz/fuzzing.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

static FakePlatform *platform;
static QString chosenFile;
static QTimer *answerer;

static void fail(const char *what)
{
    std::fprintf(stderr, "panel: %s\n", what);
    std::abort();
}

// Answers the "Select Application" dialog an unset button opens, and turns
// down anything else that comes up.
static void answerFileDialog()
{
    QWidget *modal = QApplication::activeModalWidget();
    auto *dialog = qobject_cast<QFileDialog *>(modal);
    if (!dialog) {
        if (auto *other = qobject_cast<QDialog *>(modal))
            other->reject();
        return;
    }
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(chosenFile);
    static_cast<QDialog *>(dialog)->accept();
}

static MainWindow *window;

// Back to the top level whatever the last input left: a level whose slot 1
// is not a folder makes any entered folder stale, and a click there returns
// to the top; at the top level the same click is a Back with nowhere to go.
static void returnToTop()
{
    sandbox::writeFile(buttonsFilePath(), QByteArrayLiteral("{\"Button01\": {\"path\": \"FolderBack\"}}"));
    QMetaObject::invokeMethod(window, "setButtonsConfiguration");
    panelButtons[0]->click();
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzing(argc, argv);
    platform = new FakePlatform;
    Platform::setInstance(platform);
    firstArgument = QStringLiteral("-checkupdate");
    // A name the stored text must quote.
    chosenFile = sandbox::home() + QStringLiteral("/my tool.sh");
    sandbox::writeProgram(chosenFile);
    answerer = new QTimer;
    answerer->setInterval(0);
    QObject::connect(answerer, &QTimer::timeout, answerFileDialog);
    answerer->start();
    window = new MainWindow;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    QByteArray script;
    QByteArray documents;
    splitScript(fuzzInput(data, size), &script, &documents);
    const int split = documents.indexOf("\n--\n");
    const QByteArray first = split < 0 ? documents : documents.left(split);
    const QByteArray second = split < 0 ? first : documents.mid(split + 4);

    returnToTop();
    emptyFolder(QFileInfo(buttonsFilePath()).absolutePath());
    sandbox::writeFile(buttonsFilePath(), first);
    // As at a start: the file is repaired, then drawn.
    QMetaObject::invokeMethod(window, "createSettingsJson");
    QMetaObject::invokeMethod(window, "setButtonsConfiguration");
    window->show();
    window->grab();
    int assigned = 0;
    for (const char byte : qAsConst(script)) {
        if (byte == '|') {
            sandbox::writeFile(buttonsFilePath(), second);
            continue;
        }
        const int n = int(static_cast<unsigned char>(byte)) % buttonCount;
        // One file dialog per input at most: each costs more than all the
        // other clicks together, and the second exercises nothing new.
        if (buttonPaths.value(n).isEmpty() && assigned++)
            continue;
        const QJsonObject before = readButtonsObject(buttonsFilePath());
        panelButtons[n]->click();
        const QJsonObject after = readButtonsObject(buttonsFilePath());
        if (after != before) {
            // An assignment: one member of one level changed, the rest kept.
            for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
                if (!after.contains(it.key()))
                    fail("a write-back lost a member");
            }
            for (int i = 1; i <= buttonCount; ++i) {
                if (!after.contains(buttonKey(i)))
                    fail("a write-back left the document incomplete");
            }
        }
        if (!window->isVisible())
            window->show();
        window->grab();
    }
    platform->startedTargets.clear();
    return 0;
}

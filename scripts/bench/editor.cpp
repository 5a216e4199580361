// Times what one keystroke in the settings editor costs on a large
// document: every top-level button a folder, every button of those a folder
// again (slot 1 is Back), and every button of the third level a program.
// With 20 buttons that is 8,020 buttons. The document is written to the
// sandbox's buttons.json; the editor is the real dialog, shown on the X
// server in $DISPLAY.
//
// A keystroke is a key press and release sent to a field (ten letters typed,
// then ten backspaces, and so on), followed by the events it posted (the
// field's repaint). Timed on the title field (the document written, nothing
// redrawn) and on the path field (the document written and the grid button
// redrawn), at the top level and three levels down.
//
// Usage: bench-editor [keystrokes]. Prints "buttons <count> <file KB>",
// "open-<level> <ms>", lines of "<field>-<level> <median> <worst>" in
// milliseconds, and "typed <ok|wrong>": whether the document holds what the
// fields show at the end.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "editor/editorstate.h"
#include "editor/moresettings.h"
#include "scripts/bench/benchutil.h"
#include "tests/support/access.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

QStringList programs;

QJsonObject button(const QString &path, const QString &icon, const QString &title, const QJsonValue &folder)
{
    return QJsonObject { { QStringLiteral("path"), path }, { QStringLiteral("icon"), icon },
        { QStringLiteral("title"), title }, { QStringLiteral("background"), QStringLiteral("#2a5d8f") },
        { QStringLiteral("folder"), folder } };
}

// Slot 1 of a folder, as the editor writes it when it makes a folder.
QJsonObject back()
{
    return QJsonObject { { QStringLiteral("icon"), QStringLiteral(":/res/back.png") },
        { QStringLiteral("title"), QStringLiteral("Back") },
        { QStringLiteral("background"), QStringLiteral("#000000") }, { QStringLiteral("folder"), QJsonValue::Null } };
}

// Level `depth` (1 is the top); levels 1 and 2 hold folders, level 3
// programs.
QJsonObject level(int depth, int *count)
{
    QJsonObject result;
    for (int k = 1; k <= buttonCount; ++k) {
        ++*count;
        if (k == 1 && depth > 1) {
            result.insert(buttonKey(k), back());
        } else if (depth < 3) {
            result.insert(buttonKey(k),
                button(QStringLiteral("Folder"), QStringLiteral(":/res/folder.png"), QStringLiteral("Folder %1").arg(k),
                    level(depth + 1, count)));
        } else {
            const QString program = programs.at(k % programs.size());
            const QString quoted = QLatin1Char('"') + program + QLatin1Char('"');
            result.insert(buttonKey(k), button(quoted, quoted, QFileInfo(program).fileName(), QJsonValue::Null));
        }
    }
    return result;
}

// Ten letters, then ten backspaces: the field's text stays short, and
// every keystroke changes it.
std::vector<double> type(QLineEdit *field, int keystrokes)
{
    std::vector<double> times;
    for (int i = 0; i < keystrokes; ++i) {
        const bool erase = (i / 10) % 2 == 1;
        QElapsedTimer clock;
        clock.start();
        if (erase)
            QTest::keyClick(field, Qt::Key_Backspace);
        else
            QTest::keyClick(field, char('a' + i % 10));
        QCoreApplication::processEvents();
        times.push_back(bench::elapsedMs(clock));
    }
    return times;
}

QString documentValue(moreSettings *editor, const QString &path)
{
    return EditorAccess::get(*editor, path).toString();
}

// Button 5, or the last one of a smaller edition.
constexpr int typedSlot = buttonCount < 5 ? buttonCount : 5;

// Opens the editor inside `prefix`, selects that button there and types into
// its title and path fields. Returns whether the document ends up holding
// what the fields show.
bool measure(const char *name, const QString &prefix, int keystrokes)
{
    folderPrefix = prefix;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<moreSettings> editor(new moreSettings);
    std::printf("open-%s %.3f\n", name, bench::elapsedMs(clock));
    editor->show();
    if (!QTest::qWaitForWindowExposed(editor.get()) || folderPrefix != prefix) {
        std::fprintf(stderr, "bench-editor: the editor did not open in \"%s\"\n", qUtf8Printable(prefix));
        return false;
    }
    editorButtons[typedSlot - 1]->click();
    auto *title = editor->findChild<QLineEdit *>(QStringLiteral("lineEdit_title"));
    auto *path = editor->findChild<QLineEdit *>(QStringLiteral("lineEdit_url"));
    const QString key = prefix + buttonKey(typedSlot);

    bench::printSummary(qPrintable(QStringLiteral("title-") + QLatin1String(name)), type(title, keystrokes));
    bench::printSummary(qPrintable(QStringLiteral("path-") + QLatin1String(name)), type(path, keystrokes));
    return documentValue(editor.get(), key + QStringLiteral(".title")) == title->text()
        && documentValue(editor.get(), key + QStringLiteral(".path")) == path->text();
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const int keystrokes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

    // Real programs, so that the grid shows their icons as it would.
    programs = QDir(QStringLiteral("/usr/bin")).entryList(QDir::Files | QDir::Executable, QDir::Name);
    for (QString &program : programs)
        program.prepend(QStringLiteral("/usr/bin/"));
    if (programs.isEmpty())
        programs << QStringLiteral("/bin/sh");
    programs = programs.mid(0, 40);

    int count = 0;
    const QJsonObject root = level(1, &count);
    if (!writeButtonsDocument(buttonsFilePath(), root)) {
        std::fprintf(stderr, "bench-editor: cannot write %s\n", qUtf8Printable(buttonsFilePath()));
        return 1;
    }
    std::printf("buttons %d %.0f\n", count, QFileInfo(buttonsFilePath()).size() / 1024.0);

    const QString deep
        = buttonKey(buttonCount) + QStringLiteral(".folder.") + buttonKey(buttonCount) + QStringLiteral(".folder.");
    const bool typed = measure("top", QString(), keystrokes) && measure("deep", deep, keystrokes);
    std::printf("typed %s\n", typed ? "ok" : "wrong");
    return 0;
}

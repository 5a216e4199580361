// Clicks on the panel: real programs, desktop entries and documents started
// through the desktop's own associations, folder navigation, and assigning a
// file to an unset button through the real file dialog.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "buttons/buttonstyle.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "platform/platform.h"
#include "platform/desktopentry.h"
#include "tests/support/sandbox.h"
#include "tests/support/testpanel.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// The operating system for these tests: starting targets is the real
// implementation, the global input is quiet (the trigger is not under test).
class RealStartPlatform final : public Platform
{
public:
    QStringList startedTargets;

    bool triggerAvailable() override { return false; }
    KeyState asyncKeyState(Key) override { return KeyState(); }
    bool pointerPosition(QPoint *) override { return false; }
    bool needsForegroundTrick() const override { return false; }
    void sendAltKey(bool) override {}
    void sleepMs(int) override {}
    StartResult startTarget(const QString &storedPath) override
    {
        startedTargets.append(storedPath);
        return nativePlatform().startTarget(storedPath);
    }
    QIcon applicationIcon(const QString &file) override { return nativePlatform().applicationIcon(file); }
    void createAutostartEntry() override {}
    StartResult startUpdater(const QString &, const QString &, const QString &) override { return StartResult(); }
};

// Every launched stand-in writes its argument vector, NUL-separated, and
// renames the file into place only once it is complete.
static const char recorderScript[] = "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" > \"$HOME/.launch.$$\"\n"
                                     "mv \"$HOME/.launch.$$\" \"$HOME/launch\"\n";

class TestLaunching : public QObject
{
    Q_OBJECT

private:
    RealStartPlatform platform;
    TestPanel panel;
    MainWindow *window = nullptr;
    QString bin, docs, applications;

    QString recordPath() const { return sandbox::home() + QStringLiteral("/launch"); }

    static QJsonObject button(const QString &path, const QString &title = QString(),
                              const QJsonValue &folder = QJsonValue::Null)
    {
        return QJsonObject{{"path", path}, {"icon", QString()}, {"title", title},
                           {"background", "#123456"}, {"folder", folder}};
    }

    static QJsonObject backButton()
    {
        return QJsonObject{{"icon", ":/res/back.png"}, {"title", "Back"}, {"background", "#000000"},
                           {"folder", QJsonValue::Null}};
    }

    // `depth` folders nested through slot 2: "Folder1" on the top level,
    // "Folder2" inside it, and so on. Every other slot is unset and titled
    // after its level ("L0-3", "L1-3", ...). Slot 2 of the innermost level
    // is `innermost` when that is an object, and missing when it is null.
    static QJsonObject chainDocument(int depth, const QJsonValue &innermost = QJsonValue::Undefined, int level = 0)
    {
        QJsonObject root;
        for (int i = 1; i <= buttonCount; ++i)
            root.insert(buttonKey(i), button(QString(), QStringLiteral("L%1-%2").arg(level).arg(i)));
        if (level > 0)
            root.insert(buttonKey(1), backButton());
        if (level < depth) {
            QJsonObject folder = button("Folder", QStringLiteral("Folder%1").arg(level + 1),
                                        chainDocument(depth, innermost, level + 1));
            folder.insert("note", "a member of its own");
            root.insert(buttonKey(2), folder);
        } else if (innermost.isObject()) {
            root.insert(buttonKey(2), innermost);
        } else if (innermost.isNull()) {
            root.remove(buttonKey(2));
        }
        return root;
    }

    void useDocument(const QJsonObject &root)
    {
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
    }

    // Clicks `button` and answers the file dialog it opens: chooses `file`,
    // or cancels when `file` is empty. False when no file dialog came up.
    bool clickAndAnswerFileDialog(QPushButton *button, const QString &file)
    {
        bool answered = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (modal && answered) // one that did not take its answer: a failure, not a hang
                modal->reject();
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog || answered)
                return;
            answered = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Application"));
            QCOMPARE(QDir(dialog->directory()).absolutePath(), QDir::homePath());
            if (file.isEmpty())
                return dialog->reject();
            // Typed as a user would; selectFile() leaves the field alone while it has the focus.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(file);
            static_cast<QDialog *>(dialog)->accept();
        });
        poll.start(10);
        button->click();
        return answered;
    }

    // Shows the panel, clicks button `n` and checks that the panel hid.
    void clickToLaunch(int n)
    {
        window->show();
        panelButtons[n - 1]->click();
        QVERIFY(!window->isVisible());
    }

    QStringList waitForLaunch()
    {
        if (!QTest::qWaitFor([this] { return QFile::exists(recordPath()); }, 20000))
            return QStringList();
        return sandbox::takeRecord(recordPath());
    }

private slots:
    void initTestCase()
    {
        const QString root = sandbox::root();
        bin = sandbox::home() + QStringLiteral("/bin");
        docs = sandbox::home() + QStringLiteral("/docs");
        applications = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");

        // The desktop's associations come from this sandbox alone: its own
        // mimeapps.list and applications, and the system's MIME database.
        QVERIFY(QDir().mkpath(root + QStringLiteral("/share")));
        QVERIFY(QFile::link(QStringLiteral("/usr/share/mime"), root + QStringLiteral("/share/mime")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root + QStringLiteral("/share")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + QStringLiteral("/etc-xdg")));
        qputenv("PATH", QFile::encodeName(bin) + ':' + qgetenv("PATH"));

        const QByteArray b = QFile::encodeName(bin);
        QVERIFY(!sandbox::writeProgram(bin + "/recorder", recorderScript).isEmpty());
        QVERIFY(!sandbox::writeProgram(bin + "/handler", recorderScript).isEmpty());
        QVERIFY(!sandbox::writeProgram(bin + "/broken.sh", "#!/nonexistent/interpreter\n").isEmpty());
        QVERIFY(sandbox::writeFile(docs + "/notes and $things.txt", "some notes\n"));
        QVERIFY(!sandbox::writeProgram(docs + "/marked.txt", "just text\n").isEmpty());
        QVERIFY(sandbox::writeFile(docs + "/blob.zarvel-unknown", QByteArray("\x00\x01\x02\x03", 4)));
        QVERIFY(sandbox::writeFile(applications + "/zarvel-test-files.desktop",
                                   "[Desktop Entry]\nType=Application\nName=Files\nExec=\"" + b
                                       + "/handler\" %f\nMimeType=text/plain;inode/directory;\n"));
        QVERIFY(sandbox::writeFile(applications + "/zarvel-test-urls.desktop",
                                   "[Desktop Entry]\nType=Application\nName=Urls\nExec=handler %u\n"
                                   "MimeType=x-scheme-handler/https;\n"));
        QVERIFY(sandbox::writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + "/mimeapps.list",
                                   "[Default Applications]\ntext/plain=zarvel-test-files.desktop\n"
                                   "inode/directory=zarvel-test-files.desktop\n"
                                   "x-scheme-handler/https=zarvel-test-urls.desktop\n"));
        QVERIFY(sandbox::writeFile(applications + "/zarvel-test-tool.desktop",
                                   "# a comment\n[Desktop Entry]\nType=Application\nName=Tool\nExec=\"" + b
                                       + "/with space/my tool.sh\" \"a \\\\$HOME b\" %f\n\n"
                                         "[Desktop Action other]\nExec=false\n"));
        QVERIFY(sandbox::writeFile(applications + "/zarvel-test-codes.desktop",
                                   "[Desktop Entry]\nType=Application\nName=Test Entry\nIcon=zarvel-test-app\n"
                                   "Exec=recorder --title=%c %i %k %%\n"));
        QVERIFY(sandbox::writeFile(applications + "/zarvel-test-missing.desktop",
                                   "[Desktop Entry]\nType=Application\nName=Missing\nTryExec=zarvel-not-here\n"
                                   "Exec=recorder\n"));

        // A desktop's icon theme, as the platform theme of a session offers it.
        const QString icons = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/icons");
        QVERIFY(sandbox::writeFile(icons + "/hicolor/index.theme",
                                   "[Icon Theme]\nName=Hicolor\nDirectories=32x32/apps\n\n"
                                   "[32x32/apps]\nSize=32\nType=Fixed\n"));
        QImage red(32, 32, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(QDir().mkpath(icons + "/hicolor/32x32/apps"));
        QVERIFY(red.save(icons + "/hicolor/32x32/apps/zarvel-test-app.png"));
        QIcon::setThemeSearchPaths({icons});
        QIcon::setThemeName(QStringLiteral("hicolor"));

        window = panel.open(&platform);
    }

    void init()
    {
        QFile::remove(recordPath());
        platform.startedTargets.clear();
        // Back to the top level, whatever the last test left the panel showing.
        for (int guard = 0; guard < 10 && buttonPaths.value(0) == QLatin1String("FolderBack"); ++guard)
            panelButtons[0]->click();
    }

    void startsExactlyTheStoredTarget_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("expected"); // the program, then its arguments; none when it fails
        QTest::addColumn<QString>("message");      // told when it fails
        const auto row = [](const char *name, const QString &stored, const QStringList &expected,
                            const QString &message = QString()) {
            QTest::newRow(name) << stored << expected << message;
        };

        const QString recorder = bin + "/recorder", handler = bin + "/handler";
        row("quoted path with arguments", quoteStoredPath(recorder) + " --flag \"two words\" plain",
            {recorder, "--flag", "two words", "plain"});
        row("bare command from PATH", "recorder --x", {recorder, "--x"});
        for (const char *name : {"with space/it's \"quoted\" $HOME.sh", "back`uname`;tick&amp.sh", "\"\"\"three.sh"}) {
            const QString path = bin + '/' + QString::fromUtf8(name);
            row(name, quoteStoredPath(path) + " \"$PATH\"", {path, "$PATH"});
        }
        const QString spaced = bin + "/with space/my tool.sh";
        row("path with blanks, unquoted", spaced, {spaced});
        row("file URL", QUrl::fromLocalFile(recorder).toString(), {recorder});

        // Desktop entries, by path and by name alone among the applications.
        row("entry: quoted program, escapes and a file",
            quoteStoredPath(applications + "/zarvel-test-tool.desktop") + " \"" + docs + "/some file.txt\"",
            {spaced, "a $HOME b", docs + "/some file.txt"});
        row("entry by name: name, icon and entry codes", "zarvel-test-codes.desktop",
            {recorder, "--title=Test Entry", "--icon", "zarvel-test-app", applications + "/zarvel-test-codes.desktop",
             "%"});

        // Everything else goes to the desktop's default handler.
        const QString notes = docs + "/notes and $things.txt";
        row("document", quoteStoredPath(notes), {handler, notes});
        row("folder", quoteStoredPath(docs), {handler, docs});
        // Executable, but no program: documents on a stick mounted with every file executable.
        row("executable document", quoteStoredPath(docs + "/marked.txt"), {handler, docs + "/marked.txt"});
        row("web address", "https://example.org/page?q=1", {handler, "https://example.org/page?q=1"});

        row("missing file", QStringLiteral("\"%1/gone/tool.sh\" --x").arg(sandbox::home()), {},
            "tool.sh could not be started: the file does not exist.");
        row("unknown command", "zarvel-no-such-command", {},
            "zarvel-no-such-command could not be started: there is no such program.");
        row("missing interpreter", quoteStoredPath(bin + "/broken.sh"), {},
            "broken.sh could not be started: it could not be started.");
        row("document nobody opens", quoteStoredPath(docs + "/blob.zarvel-unknown"), {},
            "blob.zarvel-unknown could not be started: no application is set to open it.");
        row("entry for a program not installed", quoteStoredPath(applications + "/zarvel-test-missing.desktop"), {},
            "zarvel-test-missing.desktop could not be started: its program is not installed.");
        row("only blanks", "   ", {}, "The button could not be started: its target is blank.");
    }
    void startsExactlyTheStoredTarget()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, expected);
        QFETCH(QString, message);
        if (!expected.isEmpty() && expected.first() != bin + "/handler")
            QVERIFY(!sandbox::writeProgram(expected.first(), recorderScript).isEmpty());

        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), button(stored, QStringLiteral("Target")));
        useDocument(root);
        // The tray shows a failure where there is a tray; the log always
        // has it, and the test fails unless it comes.
        if (!message.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(message) + '$'));
        clickToLaunch(buttonCount);
        QCOMPARE(platform.startedTargets, QStringList{stored});
        if (!expected.isEmpty())
            QCOMPARE(waitForLaunch(), expected);
    }

    void desktopEntryCommand_data()
    {
        QTest::addColumn<QByteArray>("exec"); // as written in the file
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QStringList>("command");

        const QStringList none;
        QTest::newRow("quoting") << QByteArray("\"/opt/my app/run\" 'a \"b\" $c' \"\" a\\ b  \t") << none
                                 << QStringList{"/opt/my app/run", "a \"b\" $c", "", "a b"};
        QTest::newRow("escapes inside double quotes")
            << QByteArray("sh -c \"echo \\\"x\\\" \\$HOME \\`id\\` \\\\\\\\\"") << none
            << QStringList{"sh", "-c", "echo \"x\" $HOME `id` \\"};
        QTest::newRow("unclosed quote") << QByteArray("app \"x 'y") << none << QStringList();
        QTest::newRow("file without a file") << QByteArray("app %f --x %F %u %U") << none
                                             << QStringList{"app", "--x"};
        QTest::newRow("one file for a list") << QByteArray("app --open=%F") << QStringList{"/a b/c"}
                                             << QStringList{"app", "--open=/a b/c"};
        QTest::newRow("a path as URL") << QByteArray("app %u") << QStringList{"/a b/c"}
                                       << QStringList{"app", "file:///a%20b/c"};
        QTest::newRow("a file URL as file") << QByteArray("app %f") << QStringList{"file:///a%20b/c"}
                                            << QStringList{"app", "/a b/c"};
        QTest::newRow("codes with nothing to give") << QByteArray("app %d %D %n %N %v %m %i x%dy 100%% %") << none
                                                    << QStringList{"app", "xy", "100%", "%"};
        QTest::newRow("no codes, one file appended") << QByteArray("app") << QStringList{"/x", "/y"}
                                                     << QStringList{"app", "/x"};
        QTest::newRow("nothing to run") << QByteArray("%f") << none << QStringList();
        QTest::newRow("no Exec") << QByteArray() << none << QStringList();
    }
    void desktopEntryCommand()
    {
        QFETCH(QByteArray, exec);
        QFETCH(QStringList, targets);
        QFETCH(QStringList, command);
        const QString path = sandbox::home() + QStringLiteral("/entries/codes.desktop");
        const QByteArray line = exec.isEmpty() ? exec : "Exec = " + exec + "\n";
        QVERIFY(sandbox::writeFile(path, "[Desktop Entry]\nName=Codes\n" + line));
        const DesktopEntry entry(path);
        QVERIFY(entry.isValid());
        QString error;
        QCOMPARE(entry.command(targets, &error), command);
        QCOMPARE(error.isEmpty(), !command.isEmpty());
    }

    void desktopEntryShowsItsOwnIcon_data()
    {
        QTest::addColumn<QString>("iconKey"); // the entry's Icon
        QTest::newRow("themed, given as a file name") << QStringLiteral("zarvel-test-app.png");
        QTest::newRow("absolute path")
            << QIcon::themeSearchPaths().value(0) + "/hicolor/32x32/apps/zarvel-test-app.png";
    }
    void desktopEntryShowsItsOwnIcon()
    {
        QFETCH(QString, iconKey);
        const QString entry = applications + QStringLiteral("/zarvel-icon.desktop");
        QVERIFY(sandbox::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Icon\nExec=recorder\nIcon="
                                              + iconKey.toUtf8() + "\n"));
        // As the panel stores a chosen entry: the same text as path and icon.
        QJsonObject b = button(quoteStoredPath(entry));
        b.insert("icon", quoteStoredPath(entry));
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), b);
        useDocument(root);

        const QPushButton *shown = panelButtons[buttonCount - 1];
        QCOMPARE(shown->iconSize(), QSize(32, 32));
        QCOMPARE(shown->icon().pixmap(32, 32).toImage().pixel(16, 16), qRgb(255, 0, 0));
    }

    void navigatesNestedFolders()
    {
        if (buttonCount < 2)
            QSKIP("needs a second button");
        useDocument(chainDocument(2));
        window->show();
        panelButtons[1]->click();
        QCOMPARE(buttonPaths.value(0), QStringLiteral("FolderBack"));
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("Back"));
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("Folder2"));
        panelButtons[1]->click();
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("L2-2"));
        panelButtons[0]->click();
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("Folder2"));
        panelButtons[0]->click();
        QCOMPARE(buttonPaths.value(0), QString());
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("Folder1"));
        QVERIFY(window->isVisible());
        QVERIFY(platform.startedTargets.isEmpty());
        window->hide();
    }

    void aFolderThatIsGoneLeadsBackToTheTop()
    {
        if (buttonCount < 2)
            QSKIP("needs a second button");
        QJsonObject root = chainDocument(2);
        useDocument(root);
        panelButtons[1]->click();
        panelButtons[1]->click();
        // Elsewhere, the outer folder becomes a plain, unset button.
        root.insert(buttonKey(2), button(QString(), QStringLiteral("plain now")));
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        const QByteArray before = sandbox::readFile(buttonsFilePath());

        // A click on an unset slot of the vanished level: no dialog, no write.
        QVERIFY(!clickAndAnswerFileDialog(panelButtons[buttonCount - 1], QString()));
        QCOMPARE(buttonPaths.value(0), QString());
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("plain now"));
        QCOMPARE(sandbox::readFile(buttonsFilePath()), before);
    }

    void assignsAChosenFileToItsSlotOnly_data()
    {
        QTest::addColumn<int>("depth"); // folders to enter first, each through slot 2
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("missing"); // the slot has no member in the file at all

        QTest::newRow("top level") << 0 << QStringLiteral("editor tool.v2.sh") << "editor tool" << false;
        QTest::newRow("two folders deep") << 2 << QStringLiteral("$deep;.sh") << "$deep;" << false;
        QTest::newRow("missing member in a folder") << 1 << QStringLiteral("fill.sh") << "fill" << true;
    }
    void assignsAChosenFileToItsSlotOnly()
    {
        QFETCH(int, depth);
        QFETCH(QString, fileName);
        QFETCH(QString, title);
        QFETCH(bool, missing);
        if (buttonCount < 2)
            QSKIP("needs a second button");

        const QString chosen =
            sandbox::writeProgram(sandbox::home() + QStringLiteral("/apps/") + fileName, recorderScript);
        QVERIFY(!chosen.isEmpty());
        useDocument(chainDocument(depth, missing ? QJsonValue::Null : QJsonValue::Undefined));
        for (int d = 0; d < depth; ++d)
            panelButtons[1]->click();
        QVERIFY(clickAndAnswerFileDialog(panelButtons[1], chosen));

        // The same document with that one slot set; its other members kept.
        QJsonObject set = missing ? defaultButton() : button(QString(), QStringLiteral("L%1-2").arg(depth));
        set.insert("path", QString('"' + chosen + '"'));
        set.insert("icon", set.value("path"));
        set.insert("title", title);
        QCOMPARE(readButtonsObject(buttonsFilePath()), chainDocument(depth, set));

        // Redrawn on the same level, and the new button starts the file.
        QCOMPARE(buttonPaths.value(0), depth == 0 ? QString() : QStringLiteral("FolderBack"));
        QCOMPARE(panelButtons[1]->toolTip(), title);
        QVERIFY(!panelButtons[1]->icon().isNull());
        clickToLaunch(2);
        QCOMPARE(waitForLaunch(), QStringList{chosen});
    }

    void dialogWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("chosen"); // none: the dialog is cancelled
        // Compact on purpose: any rewrite would indent it.
        QTest::newRow("cancelled") << QJsonDocument(chainDocument(2)).toJson(QJsonDocument::Compact) << QString();
        QTest::newRow("unreadable file") << QByteArray("{\"Button01\": {\"path\": \"\"}, oops")
                                         << sandbox::home() + "/apps/keep.sh";
    }
    void dialogWritesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, chosen);
        QVERIFY(sandbox::writeFile(buttonsFilePath(), content));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
        if (!chosen.isEmpty()) {
            sandbox::writeProgram(chosen, recorderScript);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be read, so the button was not set\\.$"));
        }
        QVERIFY(clickAndAnswerFileDialog(panelButtons[0], chosen));
        QCOMPARE(sandbox::readFile(buttonsFilePath()), content);
    }

    void ignoresSendersThatAreNoButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("word") << QStringLiteral("pushButton_settings");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("beyond the grid") << QString::number(buttonCount + 1);
        QTest::newRow("number and text") << QStringLiteral("1x");
    }
    void ignoresSendersThatAreNoButtons()
    {
        QFETCH(QString, name);
        QJsonObject root = chainDocument(1);
        root.insert(buttonKey(1), button(quoteStoredPath(bin + "/recorder")));
        useDocument(root);

        // Neither a start, nor a move into the folder, nor a file dialog.
        QPushButton stranger;
        stranger.setObjectName(name);
        QVERIFY(connect(&stranger, SIGNAL(clicked()), window, SLOT(buttonClick())));
        QVERIFY(!clickAndAnswerFileDialog(&stranger, QString()));
        QVERIFY(QMetaObject::invokeMethod(window, "buttonClick")); // no sender at all
        QVERIFY(platform.startedTargets.isEmpty());
        QCOMPARE(buttonPaths.value(0), quoteStoredPath(bin + "/recorder"));
    }
};

ZARVEL_TEST_MAIN(TestLaunching)
#include "tst_launching.moc"

// Clicks on the panel: real programs, desktop entries and documents started
// through the desktop's own associations, folder navigation, and assigning a
// file to an unset button through the real file dialog.
#include "app/config.h"
#include "panel/buttonsfile.h"
#include "panel/buttonstyle.h"
#include "panel/mainwindow.h"
#include "panel/panelstate.h"
#include "platform/desktop.h"
#include "platform/desktopentry.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

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
        return startStoredTarget(storedPath);
    }
    void createAutostartEntry() override {}
};

// Every launched stand-in writes its argument vector here, NUL-separated,
// and renames the file into place only once it is complete.
static const char recorderScript[] = "#!/bin/sh\n"
                                     "out=\"$HOME/records\"\n"
                                     "mkdir -p \"$out\"\n"
                                     "printf '%s\\0' \"$0\" \"$@\" > \"$out/.launch.$$\"\n"
                                     "mv \"$out/.launch.$$\" \"$out/launch\"\n";

class TestLaunching : public QObject
{
    Q_OBJECT

private:
    RealStartPlatform platform;
    MainWindow *window = nullptr;
    QString bin;
    QString docs;
    QString applications;

    QString recordPath() const { return sandbox::home() + QStringLiteral("/records/launch"); }

    QString makeScript(const QString &path, const QByteArray &content = recorderScript)
    {
        if (!sandbox::writeFile(path, content))
            return QString();
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        return path;
    }

    static QJsonObject button(const QString &path, const QString &title = QString(),
                              const QJsonValue &folder = QJsonValue::Null)
    {
        return QJsonObject{{QStringLiteral("path"), path},
                           {QStringLiteral("icon"), QString()},
                           {QStringLiteral("title"), title},
                           {QStringLiteral("background"), QStringLiteral("#123456")},
                           {QStringLiteral("folder"), folder}};
    }

    // A folder level: slot 1 is Back, the others are unset and titled
    // `name` + their number.
    static QJsonObject folderLevel(const QString &name)
    {
        QJsonObject level;
        level.insert(buttonKey(1), QJsonObject{{QStringLiteral("icon"), QStringLiteral(":/res/back.png")},
                                               {QStringLiteral("title"), QStringLiteral("Back")},
                                               {QStringLiteral("background"), QStringLiteral("#000000")},
                                               {QStringLiteral("folder"), QJsonValue::Null}});
        for (int i = 2; i <= buttonCount; ++i)
            level.insert(buttonKey(i), button(QString(), name + QString::number(i)));
        return level;
    }

    static QJsonObject folderButton(const QString &title, const QJsonObject &level)
    {
        QJsonObject b = button(QStringLiteral("Folder"), title, level);
        b.insert(QStringLiteral("icon"), QStringLiteral(":/res/folder.png"));
        b.insert(QStringLiteral("note"), QStringLiteral("a member of its own"));
        return b;
    }

    // A document with `depth` folders nested through slot 2: "Folder1" on
    // the top level, "Folder2" inside it, and so on. Every other slot is
    // unset and titled after its level ("top3", "level1-3", ...).
    static QJsonObject chainDocument(int depth)
    {
        QJsonObject level = depth == 0 ? topLevel() : folderLevel(QStringLiteral("level%1-").arg(depth));
        for (int d = depth; d >= 1; --d) {
            QJsonObject parent = d == 1 ? topLevel() : folderLevel(QStringLiteral("level%1-").arg(d - 1));
            parent.insert(buttonKey(2), folderButton(QStringLiteral("Folder%1").arg(d), level));
            level = parent;
        }
        return level;
    }

    static QJsonObject topLevel()
    {
        QJsonObject root;
        for (int i = 1; i <= buttonCount; ++i)
            root.insert(buttonKey(i), button(QString(), QStringLiteral("top%1").arg(i)));
        return root;
    }

    void useDocument(const QJsonObject &root)
    {
        QVERIFY(writeButtonsDocument(buttonsFilePath(), root));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
    }

    // Back to the top level, whatever the panel shows now.
    void goToTop()
    {
        for (int guard = 0; guard < 10 && buttonPaths.value(0) == QLatin1String("FolderBack"); ++guard)
            panelButtons[0]->click();
        QCOMPARE(buttonPaths.value(0) == QLatin1String("FolderBack"), false);
    }

    // Clicks `button` and answers the file dialog it opens: chooses `file`,
    // or cancels when `file` is empty. False when no file dialog came up.
    bool clickAndAnswerFileDialog(QPushButton *button, const QString &file)
    {
        bool answered = false;
        int ticksSinceAnswer = 0;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!modal)
                return;
            if (answered) {
                // A dialog that did not take its answer fails the test
                // instead of hanging it.
                if (++ticksSinceAnswer == 1000) {
                    QTest::qFail("a dialog stayed open after it was answered", __FILE__, __LINE__);
                    modal->reject();
                }
                return;
            }
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog)
                return;
            answered = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Select Application"));
            QCOMPARE(QDir(dialog->directory()).absolutePath(), QDir::homePath());
            if (file.isEmpty()) {
                dialog->reject();
                return;
            }
            // Typed into the name field as a user would; selectFile() leaves
            // the field alone while it has the focus.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(file);
            static_cast<QDialog *>(dialog)->accept();
        });
        poll.start();
        button->click();
        return answered;
    }

    // Shows the panel, clicks button `n` and checks that the panel hid.
    void clickToLaunch(int n)
    {
        window->show();
        QVERIFY(window->isVisible());
        panelButtons[n - 1]->click();
        QVERIFY(!window->isVisible());
    }

    QStringList waitForLaunch()
    {
        if (!QTest::qWaitFor([this] { return QFile::exists(recordPath()); }, 20000))
            return QStringList();
        const QByteArray bytes = sandbox::readFile(recordPath());
        QStringList words = QString::fromLocal8Bit(bytes.constData(), bytes.size()).split(QLatin1Char('\0'));
        words.removeLast(); // after the last NUL
        QFile::remove(recordPath());
        return words;
    }

private slots:
    void initTestCase()
    {
        const QString root = sandbox::root();
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        bin = sandbox::home() + QStringLiteral("/bin");
        docs = sandbox::home() + QStringLiteral("/docs");
        applications = dataHome + QStringLiteral("/applications");

        // The desktop's associations come from this sandbox alone: its own
        // mimeapps.list and applications, and the system's MIME database.
        QVERIFY(QDir().mkpath(root + QStringLiteral("/share")));
        QVERIFY(QFile::link(QStringLiteral("/usr/share/mime"), root + QStringLiteral("/share/mime")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root + QStringLiteral("/share")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + QStringLiteral("/etc-xdg")));
        qputenv("PATH", QFile::encodeName(bin) + ':' + qgetenv("PATH"));

        QVERIFY(!makeScript(bin + QStringLiteral("/recorder")).isEmpty());
        QVERIFY(!makeScript(bin + QStringLiteral("/handler")).isEmpty());
        QVERIFY(sandbox::writeFile(applications + QStringLiteral("/zarvel-test-files.desktop"),
                                   "[Desktop Entry]\nType=Application\nName=Files\nExec=\"" + bin.toUtf8()
                                       + "/handler\" %f\nMimeType=text/plain;inode/directory;\n"));
        QVERIFY(sandbox::writeFile(applications + QStringLiteral("/zarvel-test-urls.desktop"),
                                   "[Desktop Entry]\nType=Application\nName=Urls\nExec=handler %u\n"
                                   "MimeType=x-scheme-handler/https;\n"));
        QVERIFY(sandbox::writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"),
                                   "[Default Applications]\ntext/plain=zarvel-test-files.desktop\n"
                                   "inode/directory=zarvel-test-files.desktop\n"
                                   "x-scheme-handler/https=zarvel-test-urls.desktop\n"));

        Platform::setInstance(&platform);
        firstArgument = QStringLiteral("-checkupdate");
        window = new MainWindow;
    }

    void cleanupTestCase()
    {
        delete window;
        Platform::setInstance(nullptr);
    }

    void init()
    {
        QFile::remove(recordPath());
        platform.startedTargets.clear();
    }

    void startsExactlyTheStoredTarget_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("expected"); // the program, then its arguments

        const QString recorder = bin + QStringLiteral("/recorder");
        QTest::newRow("quoted path with arguments")
            << quoteStoredPath(recorder) + QStringLiteral(" --flag \"two words\" plain")
            << QStringList{recorder, "--flag", "two words", "plain"};
        QTest::newRow("bare command from PATH")
            << QStringLiteral("recorder --x") << QStringList{recorder, "--x"};

        const char *names[] = {"with space/my tool.sh", "it's \"quoted\".sh", "cost $HOME.sh",
                               "back`uname`tick.sh", "semi;colon&amp.sh", "\"\"\"three.sh"};
        for (const char *name : names) {
            const QString path = bin + QLatin1Char('/') + QLatin1String(name);
            QTest::newRow(name) << quoteStoredPath(path) + QStringLiteral(" \"$PATH\"")
                                << QStringList{path, QStringLiteral("$PATH")};
        }
        const QString spaced = bin + QStringLiteral("/with space/my tool.sh");
        QTest::newRow("path with blanks, unquoted") << spaced << QStringList{spaced};
        QTest::newRow("file URL") << QUrl::fromLocalFile(recorder).toString() << QStringList{recorder};
    }
    void startsExactlyTheStoredTarget()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, expected);
        QVERIFY(!makeScript(expected.first()).isEmpty());

        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), button(stored, QStringLiteral("Target")));
        useDocument(root);
        clickToLaunch(buttonCount);

        QCOMPARE(platform.startedTargets, QStringList{stored});
        QCOMPARE(waitForLaunch(), expected);
    }

    void startsWhatADesktopEntryDescribes_data()
    {
        QTest::addColumn<QByteArray>("exec");
        QTest::addColumn<QString>("arguments"); // after the entry in the stored text
        QTest::addColumn<QStringList>("expected");

        const QString recorder = bin + QStringLiteral("/recorder");
        QTest::newRow("bare program, no codes") << QByteArray("recorder --new-window") << QString()
                                                << QStringList{recorder, "--new-window"};
        QTest::newRow("quoted program, escapes and a file")
            << QByteArray("\"") + QFile::encodeName(bin) + "/with space/my tool.sh\" \"a \\\\$HOME b\" %f"
            << QStringLiteral("\"%1/some file.txt\"").arg(docs)
            << QStringList{bin + "/with space/my tool.sh", "a $HOME b", docs + "/some file.txt"};
        QTest::newRow("name, icon and entry codes")
            << QByteArray("recorder --title=%c %i %k %%") << QString()
            << QStringList{recorder, "--title=Test Entry", "--icon", "zarvel-test-app",
                           applications + "/zarvel-test-entry.desktop", "%"};
        QTest::newRow("a file for an entry without codes")
            << QByteArray("recorder") << QStringLiteral("\"%1/notes.txt\"").arg(docs)
            << QStringList{recorder, docs + "/notes.txt"};
        QTest::newRow("URL list") << QByteArray("recorder %U --end")
                                  << QStringLiteral("https://example.org/a mailto:someone@example.org")
                                  << QStringList{recorder, "https://example.org/a", "mailto:someone@example.org", "--end"};
    }
    void startsWhatADesktopEntryDescribes()
    {
        QFETCH(QByteArray, exec);
        QFETCH(QString, arguments);
        QFETCH(QStringList, expected);
        QVERIFY(!makeScript(bin + QStringLiteral("/with space/my tool.sh")).isEmpty());

        const QString entry = applications + QStringLiteral("/zarvel-test-entry.desktop");
        QVERIFY(sandbox::writeFile(entry, "# a comment\n[Desktop Entry]\nType=Application\nName=Test Entry\n"
                                          "Icon=zarvel-test-app\nExec="
                                              + exec + "\n\n[Desktop Action other]\nExec=false\n"));

        // By its path, and by its name alone, as found among the applications.
        for (const QString &stored : {quoteStoredPath(entry), QStringLiteral("zarvel-test-entry.desktop")}) {
            QJsonObject root = defaultButtonsLevel();
            root.insert(buttonKey(buttonCount),
                        button(arguments.isEmpty() ? stored : stored + QLatin1Char(' ') + arguments));
            useDocument(root);
            clickToLaunch(buttonCount);
            QCOMPARE(waitForLaunch(), expected);
        }
    }

    void opensOtherTargetsWithTheDefaultHandler_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected"); // what the handler receives

        QTest::newRow("document") << docs + "/notes and $things.txt" << docs + "/notes and $things.txt";
        QTest::newRow("folder") << docs << docs;
        // Executable, but no program: documents on a stick mounted with every
        // file executable.
        QTest::newRow("executable document") << docs + "/marked.txt" << docs + "/marked.txt";
        QTest::newRow("web address") << QStringLiteral("https://example.org/page?q=1")
                                     << QStringLiteral("https://example.org/page?q=1");
    }
    void opensOtherTargetsWithTheDefaultHandler()
    {
        QFETCH(QString, target);
        QFETCH(QString, expected);
        QVERIFY(sandbox::writeFile(docs + "/notes and $things.txt", "some notes\n"));
        QVERIFY(sandbox::writeFile(docs + "/marked.txt", "just text\n"));
        QFile::setPermissions(docs + "/marked.txt", QFile::permissions(docs + "/marked.txt") | QFile::ExeOwner);

        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), button(target.startsWith('/') ? quoteStoredPath(target) : target));
        useDocument(root);
        clickToLaunch(buttonCount);
        QCOMPARE(waitForLaunch(), (QStringList{bin + QStringLiteral("/handler"), expected}));
    }

    void reportsATargetThatCannotStart_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("message");

        QTest::newRow("missing file") << QStringLiteral("\"%1/gone/tool.sh\" --x").arg(sandbox::home())
                                      << "tool.sh could not be started: the file does not exist.";
        QTest::newRow("unknown command") << QStringLiteral("zarvel-no-such-command")
                                         << "zarvel-no-such-command could not be started: there is no such program.";
        QTest::newRow("missing interpreter")
            << quoteStoredPath(bin + QStringLiteral("/broken.sh"))
            << "broken.sh could not be started: it could not be started.";
        QTest::newRow("document nobody opens")
            << quoteStoredPath(docs + QStringLiteral("/blob.zarvel-unknown"))
            << "blob.zarvel-unknown could not be started: no application is set to open it.";
        QTest::newRow("entry for a program not installed")
            << quoteStoredPath(applications + QStringLiteral("/zarvel-test-missing.desktop"))
            << "zarvel-test-missing.desktop could not be started: its program is not installed.";
        QTest::newRow("entry with an unclosed quote")
            << quoteStoredPath(applications + QStringLiteral("/zarvel-test-broken.desktop"))
            << "zarvel-test-broken.desktop could not be started: the desktop entry's command has an unclosed "
               "quote.";
        QTest::newRow("only blanks") << QStringLiteral("   ") << "The button could not be started: its target is blank.";
    }
    void reportsATargetThatCannotStart()
    {
        QFETCH(QString, stored);
        QFETCH(QString, message);
        QVERIFY(!makeScript(bin + QStringLiteral("/broken.sh"), "#!/nonexistent/interpreter\n").isEmpty());
        QVERIFY(sandbox::writeFile(docs + QStringLiteral("/blob.zarvel-unknown"), QByteArray("\x00\x01\x02\x03", 4)));
        QVERIFY(sandbox::writeFile(applications + QStringLiteral("/zarvel-test-missing.desktop"),
                                   "[Desktop Entry]\nType=Application\nName=Missing\nTryExec=zarvel-not-here\n"
                                   "Exec=recorder\n"));
        QVERIFY(sandbox::writeFile(applications + QStringLiteral("/zarvel-test-broken.desktop"),
                                   "[Desktop Entry]\nType=Application\nName=Broken\nExec=recorder \"open\n"));

        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), button(stored));
        useDocument(root);
        // The tray shows the message where there is a tray; the log always
        // has it, and the test fails unless it comes.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(message) + '$'));
        clickToLaunch(buttonCount);
        QCOMPARE(platform.startedTargets, QStringList{stored});
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
        QTest::newRow("string escapes first") << QByteArray("app\\sx \"\\\\$y\"") << none
                                              << QStringList{"app", "x", "$y"};
        QTest::newRow("unclosed quote") << QByteArray("app \"x 'y") << none << QStringList();
        QTest::newRow("file without a file") << QByteArray("app %f --x %F %u %U") << none
                                             << QStringList{"app", "--x"};
        QTest::newRow("one file for a list")
            << QByteArray("app %F") << QStringList{"/a b/c"} << QStringList{"app", "/a b/c"};
        QTest::newRow("a path as URL") << QByteArray("app %u") << QStringList{"/a b/c"}
                                       << QStringList{"app", "file:///a%20b/c"};
        QTest::newRow("a file URL as file") << QByteArray("app %f") << QStringList{"file:///a%20b/c"}
                                            << QStringList{"app", "/a b/c"};
        QTest::newRow("embedded file") << QByteArray("app --open=%f") << QStringList{"/x"}
                                       << QStringList{"app", "--open=/x"};
        QTest::newRow("deprecated codes vanish") << QByteArray("app %d %D %n %N %v %m x%dy") << none
                                                 << QStringList{"app", "xy"};
        QTest::newRow("no icon, no --icon") << QByteArray("app %i") << none << QStringList{"app"};
        QTest::newRow("percent") << QByteArray("app 100%% %") << none << QStringList{"app", "100%", "%"};
        QTest::newRow("no codes, one file appended")
            << QByteArray("app") << QStringList{"/x", "/y"} << QStringList{"app", "/x"};
        QTest::newRow("nothing to run") << QByteArray("%f") << none << QStringList();
        QTest::newRow("no Exec") << QByteArray() << none << QStringList();
    }
    void desktopEntryCommand()
    {
        QFETCH(QByteArray, exec);
        QFETCH(QStringList, targets);
        QFETCH(QStringList, command);
        const QString path = sandbox::home() + QStringLiteral("/entries/codes.desktop");
        QByteArray content = "[Desktop Entry]\nName=Codes\n";
        if (!exec.isEmpty())
            content += "Exec = " + exec + "\n";
        QVERIFY(sandbox::writeFile(path, content));

        const DesktopEntry entry(path);
        QVERIFY(entry.isValid());
        QString error;
        QCOMPARE(entry.command(targets, &error), command);
        QCOMPARE(error.isEmpty(), !command.isEmpty());
    }

    void desktopEntryShowsItsOwnIcon_data()
    {
        QTest::addColumn<QString>("iconKey"); // the entry's Icon
        QTest::addColumn<QRgb>("colour");     // of the button's icon, or 0 for the system's file icon

        QTest::newRow("themed") << QStringLiteral("zarvel-test-app") << qRgb(255, 0, 0);
        QTest::newRow("themed, given as a file name") << QStringLiteral("zarvel-test-app.png") << qRgb(255, 0, 0);
        QTest::newRow("absolute path") << sandbox::home() + QStringLiteral("/pictures/blue.png") << qRgb(0, 0, 255);
        QTest::newRow("not in the theme") << QStringLiteral("zarvel-no-such-icon") << QRgb(0);
    }
    void desktopEntryShowsItsOwnIcon()
    {
        QFETCH(QString, iconKey);
        QFETCH(QRgb, colour);

        // A desktop's icon theme, as the platform theme of a session offers it.
        const QString icons = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/icons");
        QVERIFY(sandbox::writeFile(icons + QStringLiteral("/hicolor/index.theme"),
                                   "[Icon Theme]\nName=Hicolor\nDirectories=32x32/apps\n\n"
                                   "[32x32/apps]\nSize=32\nType=Fixed\n"));
        QImage red(32, 32, QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        QVERIFY(QDir().mkpath(icons + QStringLiteral("/hicolor/32x32/apps")));
        QVERIFY(red.save(icons + QStringLiteral("/hicolor/32x32/apps/zarvel-test-app.png")));
        QImage blue(48, 48, QImage::Format_RGB32);
        blue.fill(qRgb(0, 0, 255));
        QVERIFY(QDir().mkpath(sandbox::home() + QStringLiteral("/pictures")));
        QVERIFY(blue.save(sandbox::home() + QStringLiteral("/pictures/blue.png")));
        QIcon::setThemeSearchPaths({icons});
        QIcon::setThemeName(QStringLiteral("hicolor"));

        const QString entry = applications + QStringLiteral("/zarvel-icon.desktop");
        QVERIFY(sandbox::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Icon\nExec=recorder\nIcon="
                                              + iconKey.toUtf8() + "\n"));
        // As the panel stores a chosen entry: the same text as path and icon.
        QJsonObject b = button(quoteStoredPath(entry));
        b.insert(QStringLiteral("icon"), quoteStoredPath(entry));
        QJsonObject root = defaultButtonsLevel();
        root.insert(buttonKey(buttonCount), b);
        useDocument(root);

        const QPushButton *shown = panelButtons[buttonCount - 1];
        QCOMPARE(shown->iconSize(), QSize(32, 32));
        const QImage image = shown->icon().pixmap(32, 32).toImage();
        if (colour)
            QCOMPARE(image.pixel(16, 16), colour);
        else // the system's icon of the file, whatever this desktop draws for it
            QVERIFY(image.isNull() || (image.pixel(16, 16) != qRgb(255, 0, 0) && image.pixel(16, 16) != qRgb(0, 0, 255)));
    }

    void navigatesNestedFolders()
    {
        if (buttonCount < 2)
            QSKIP("needs a second button");
        useDocument(chainDocument(2));
        window->show();
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("Folder1"));

        panelButtons[1]->click();
        QCOMPARE(buttonPaths.value(0), QStringLiteral("FolderBack"));
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("Back"));
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("Folder2"));
        QVERIFY(window->isVisible());

        panelButtons[1]->click();
        QCOMPARE(buttonPaths.value(0), QStringLiteral("FolderBack"));
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("level2-2"));

        panelButtons[0]->click();
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("Folder2"));
        panelButtons[0]->click();
        QCOMPARE(buttonPaths.value(0), QString());
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("top1"));
        QCOMPARE(panelButtons[1]->toolTip(), QStringLiteral("Folder1"));
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
        QCOMPARE(buttonPaths.value(0), QStringLiteral("FolderBack"));

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

        QTest::newRow("top level") << 0 << QStringLiteral("editor tool.sh") << "editor tool";
        QTest::newRow("in a folder") << 1 << QStringLiteral("a.b.sh") << "a";
        QTest::newRow("two folders deep") << 2 << QStringLiteral("$deep;.sh") << "$deep;";
    }
    void assignsAChosenFileToItsSlotOnly()
    {
        QFETCH(int, depth);
        QFETCH(QString, fileName);
        QFETCH(QString, title);
        if (buttonCount < 2)
            QSKIP("needs a second button");

        const QString chosen = makeScript(sandbox::home() + QStringLiteral("/apps/") + fileName);
        QVERIFY(!chosen.isEmpty());
        const QJsonObject before = chainDocument(depth);
        useDocument(before);
        const QVector<int> route(depth, 2);
        for (int n : route)
            panelButtons[n - 1]->click();

        const int slot = 2; // unset on the innermost level
        QVERIFY(clickAndAnswerFileDialog(panelButtons[slot - 1], chosen));

        // Expected: the same document with that one slot set.
        QVector<QJsonObject> levels{before};
        QVector<QJsonObject> folders;
        for (int n : route) {
            folders.append(levels.last().value(buttonKey(n)).toObject());
            levels.append(folders.last().value(QStringLiteral("folder")).toObject());
        }
        QJsonObject changed = levels.last().value(buttonKey(slot)).toObject();
        changed.insert(QStringLiteral("path"), QString('"' + chosen + '"'));
        changed.insert(QStringLiteral("icon"), QString('"' + chosen + '"'));
        changed.insert(QStringLiteral("title"), title);
        levels.last().insert(buttonKey(slot), changed);
        for (int k = route.size() - 1; k >= 0; --k) {
            folders[k].insert(QStringLiteral("folder"), levels.at(k + 1));
            levels[k].insert(buttonKey(route.at(k)), folders.at(k));
        }
        QCOMPARE(readButtonsObject(buttonsFile), levels.first());
        QCOMPARE(changed.value(QStringLiteral("background")).toString(), QStringLiteral("#123456"));

        // Redrawn on the same level, and the new button starts the file.
        QCOMPARE(buttonPaths.value(0), depth == 0 ? QString() : QStringLiteral("FolderBack"));
        QCOMPARE(panelButtons[slot - 1]->toolTip(), title);
        QVERIFY(!panelButtons[slot - 1]->icon().isNull());
        clickToLaunch(slot);
        QCOMPARE(waitForLaunch(), QStringList{chosen});
        goToTop();
    }

    void assignmentCreatesAMissingMember()
    {
        if (buttonCount < 2)
            QSKIP("needs a second button");
        // A hand-made folder that holds nothing but its Back slot.
        QJsonObject root = defaultButtonsLevel();
        QJsonObject onlyBack;
        onlyBack.insert(buttonKey(1), folderLevel(QString()).value(buttonKey(1)));
        root.insert(buttonKey(1), folderButton(QStringLiteral("Short"), onlyBack));
        useDocument(root);
        panelButtons[0]->click();
        QCOMPARE(buttonPaths.value(1), QString());

        const QString chosen = makeScript(sandbox::home() + QStringLiteral("/apps/fill.sh"));
        QVERIFY(clickAndAnswerFileDialog(panelButtons[1], chosen));
        const QJsonObject created = readButtonsObject(buttonsFile)
                                        .value(buttonKey(1))
                                        .toObject()
                                        .value(QStringLiteral("folder"))
                                        .toObject()
                                        .value(buttonKey(2))
                                        .toObject();
        QJsonObject expected = defaultButton();
        expected.insert(QStringLiteral("path"), QString('"' + chosen + '"'));
        expected.insert(QStringLiteral("icon"), QString('"' + chosen + '"'));
        expected.insert(QStringLiteral("title"), QStringLiteral("fill"));
        QCOMPARE(created, expected);
        goToTop();
    }

    void cancelledDialogWritesNothing()
    {
        // Compact on purpose: any rewrite would indent it.
        const QByteArray compact = QJsonDocument(chainDocument(2)).toJson(QJsonDocument::Compact);
        QVERIFY(sandbox::writeFile(buttonsFilePath(), compact));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
        QVERIFY(clickAndAnswerFileDialog(panelButtons[0], QString()));
        QCOMPARE(sandbox::readFile(buttonsFilePath()), compact);
        QCOMPARE(panelButtons[0]->toolTip(), QStringLiteral("top1"));
    }

    void unreadableFileIsNotOverwritten()
    {
        const QByteArray broken("{\"Button01\": {\"path\": \"\"}, oops");
        QVERIFY(sandbox::writeFile(buttonsFilePath(), broken));
        QVERIFY(QMetaObject::invokeMethod(window, "setButtonsConfiguration"));
        const QString chosen = makeScript(sandbox::home() + QStringLiteral("/apps/keep.sh"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be read, so the button was not set\\.$"));
        QVERIFY(clickAndAnswerFileDialog(panelButtons[0], chosen));
        QCOMPARE(sandbox::readFile(buttonsFilePath()), broken);
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
        root.insert(buttonKey(1), button(quoteStoredPath(bin + QStringLiteral("/recorder"))));
        useDocument(root);
        const QByteArray before = sandbox::readFile(buttonsFilePath());

        QPushButton stranger;
        stranger.setObjectName(name);
        QVERIFY(connect(&stranger, SIGNAL(clicked()), window, SLOT(buttonClick())));
        window->show();
        QVERIFY(!clickAndAnswerFileDialog(&stranger, QString()));
        QVERIFY(QMetaObject::invokeMethod(window, "buttonClick")); // no sender at all
        QVERIFY(window->isVisible());
        QVERIFY(platform.startedTargets.isEmpty());
        QCOMPARE(buttonPaths.value(0), root.value(buttonKey(1)).toObject().value("path").toString());
        QCOMPARE(sandbox::readFile(buttonsFilePath()), before);
        window->hide();
    }
};

ZARVEL_TEST_MAIN(TestLaunching)
#include "tst_launching.moc"

// The About dialog: its page, its menu tree, and the licence viewer reading
// real files from the licenses folder under the working directory.
#include "about/about.h"
#include "app/config.h"
#include "panel/mainwindow.h"
#include "tests/support/fakeplatform.h"
#include "tests/support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

static const char missing[] = "The file is missing from the licenses folder.";

class TestAbout : public QObject
{
    Q_OBJECT

    QString startDir;

    // A fresh working directory for one test, made current.
    static QString enterNewDirectory(const QString &name)
    {
        const QString dir = sandbox::root() + QStringLiteral("/cwd/") + name;
        QDir(dir).removeRecursively();
        QDir().mkpath(dir + QStringLiteral("/licenses"));
        QDir::setCurrent(dir);
        return dir;
    }

    // "qtsvg/LICENSE.GPLv3" names the action LICENSE.GPLv3 in the qtsvg menu.
    static QAction *findAction(about &dialog, const QString &path)
    {
        for (QAction *module : dialog.findChild<QMenuBar *>()->actions().at(1)->menu()->actions())
            for (QAction *action : module->menu()->actions())
                if (module->text() + QLatin1Char('/') + action->text() == path)
                    return action;
        return nullptr;
    }

    static QString shown(about &dialog) { return dialog.findChild<QPlainTextEdit *>()->toPlainText(); }

    static int page(about &dialog) { return dialog.findChild<QStackedWidget *>()->currentIndex(); }

private slots:
    void initTestCase() { startDir = QDir::currentPath(); }
    void cleanupTestCase() { QDir::setCurrent(startDir); }

    // What the dialog fills in itself; the rest of the page is the form's.
    // The viewer starts with the Qt notice and the GPL v3 taken at build time.
    void aboutPage()
    {
        about dialog;
        const QString edition = configValue(QStringLiteral("type")).toString();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Zarvel ") + edition);
        QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
        QCOMPARE(page(dialog), 0);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("label_type"))->text(), edition);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("label_version"))->text(), appVersion);
        const QByteArray gpl = sandbox::readFile(QStringLiteral(ZARVEL_GPL3_FILE));
        QVERIFY(gpl.contains("Version 3, 29 June 2007"));
        QCOMPARE(shown(dialog),
                 QString::fromUtf8(sandbox::readFile(QStringLiteral(ZARVEL_SOURCE_DIR "/cmake/qt-license-notice.txt"))
                                   + gpl));
    }

    void menuTree()
    {
        about dialog;
        QStringList tree;
        for (QAction *top : dialog.findChild<QMenuBar *>()->actions()) {
            tree << top->text();
            if (top->menu())
                for (QAction *module : top->menu()->actions()) {
                    tree << QStringLiteral("  ") + module->text();
                    for (QAction *action : module->menu()->actions())
                        tree << QStringLiteral("    ") + action->text();
                }
        }
        QStringList expected{QStringLiteral("About"), QStringLiteral("Open Source License")};
        for (const char *module : {"qtbase", "qtsvg", "qtimageformats"})
            expected << QStringLiteral("  ") + QLatin1String(module) << QStringLiteral("    COPYRIGHT")
                     << QStringLiteral("    LICENSE.GPLv3") << QStringLiteral("    LICENSE.LGPLv3")
                     << QStringLiteral("    USED-LICENSE");
        QCOMPARE(tree, expected);
    }

    void eachActionReadsItsFile_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        for (const char *module : {"qtbase", "qtsvg", "qtimageformats"}) {
            const QString name = QLatin1String(module) + QLatin1Char('/');
            QTest::addRow("%s COPYRIGHT", module) << QString(name + "COPYRIGHT") << QString(name + "COPYRIGHT");
            QTest::addRow("%s GPLv3", module) << QString(name + "LICENSE.GPLv3") << "COPYING";
            QTest::addRow("%s LGPLv3", module) << QString(name + "LICENSE.LGPLv3") << "COPYING.LESSER";
            QTest::addRow("%s USED", module) << QString(name + "USED-LICENSE") << "COPYING.LESSER";
        }
    }
    // Read from the working directory at the moment of choosing, not from
    // when the dialog opened; "About" goes back to the first page.
    void eachActionReadsItsFile()
    {
        QFETCH(QString, action);
        QFETCH(QString, file);
        about dialog;
        const QString dir = enterNewDirectory(QStringLiteral("all"));
        for (const char *name : {"COPYING", "COPYING.LESSER", "qtbase/COPYRIGHT", "qtsvg/COPYRIGHT",
                                 "qtimageformats/COPYRIGHT"})
            QVERIFY(sandbox::writeFile(dir + QStringLiteral("/licenses/") + name, QByteArray(name) + " \xc2\xa9\n"));
        QAction *chosen = findAction(dialog, action);
        QVERIFY(chosen);
        chosen->trigger();
        QCOMPARE(page(dialog), 1);
        QCOMPARE(shown(dialog), file + QString::fromUtf8(" \xc2\xa9\n"));

        dialog.findChild<QMenuBar *>()->actions().at(0)->trigger();
        QCOMPARE(page(dialog), 0);

        QVERIFY(QDir(dir + QStringLiteral("/licenses")).removeRecursively());
        chosen->trigger();
        QCOMPARE(page(dialog), 1);
        QCOMPARE(shown(dialog), QLatin1String(missing));
    }

    // Whatever sits where a licence belongs, the viewer shows sound text;
    // anything but a readable file (a pipe would block) counts as missing.
    void fileContents_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "file" << QByteArray() << QString();
        QTest::newRow("NUL ends the text") << "file" << QByteArray("before\0after", 12) << QStringLiteral("before");
        QTest::newRow("NUL first") << "file" << QByteArray("\0after", 6) << QString();
        QTest::newRow("invalid UTF-8") << "file" << QByteArray("a\xff\xfe z \xc3")
                                       << QStringLiteral("a\uFFFD\uFFFD z \uFFFD");
        QTest::newRow("folder") << "folder" << QByteArray() << QString::fromLatin1(missing);
        QTest::newRow("named pipe") << "fifo" << QByteArray() << QString::fromLatin1(missing);
        QTest::newRow("unreadable") << "unreadable" << QByteArray("secret") << QString::fromLatin1(missing);
    }
    void fileContents()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString file = enterNewDirectory(QStringLiteral("contents")) + QStringLiteral("/licenses/COPYING");
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(file));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else {
            QVERIFY(sandbox::writeFile(file, bytes));
            if (kind == QLatin1String("unreadable")) {
                QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
                if (QFile(file).open(QIODevice::ReadOnly))
                    QSKIP("running with rights that read any file");
            }
        }
        about dialog;
        findAction(dialog, QStringLiteral("qtbase/LICENSE.GPLv3"))->trigger();
        QCOMPARE(shown(dialog), text);
    }

    // The tray's "About" runs the dialog modally and destroys it afterwards.
    void openedFromThePanel()
    {
        FakePlatform platform;
        Platform::setInstance(&platform);
        firstArgument = QStringLiteral("-checkupdate");
        MainWindow window;
        QPointer<about> seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            seen = qobject_cast<about *>(QApplication::activeModalWidget());
            if (!seen)
                return;
            poll.stop();
            seen->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        poll.start(10);
        QVERIFY(QMetaObject::invokeMethod(&window, "showAboutWindow"));
        Platform::setInstance(nullptr);
        QVERIFY(!poll.isActive());
        QVERIFY(seen.isNull());
        QVERIFY(window.findChildren<about *>().isEmpty());
    }
};

ZARVEL_TEST_MAIN(TestAbout)
#include "tst_about.moc"

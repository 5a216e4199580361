// The About dialog: its page, its menu tree, and the licence viewer reading
// real files from the licenses folder under the working directory.
#include "about/about.h"
#include "app/config.h"
#include "panel/mainwindow.h"
#include "platform/fakeplatform.h"
#include "tests/support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

class TestAbout : public QObject
{
    Q_OBJECT

private:
    QString startDir;

    static QString edition() { return configValue(QStringLiteral("type")).toString(); }

    static QString missingText() { return QStringLiteral("The file is missing from the licenses folder."); }

    // A fresh working directory for one test, made current.
    static QString enterNewDirectory(const QString &name)
    {
        const QString dir = sandbox::root() + QStringLiteral("/cwd/") + name;
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QDir::setCurrent(dir);
        return dir;
    }

    // Each licence file with text that names it, plus a non-ASCII letter.
    static void writeLicenses(const QString &dir)
    {
        for (const QString &name : licenseFiles())
            QVERIFY(sandbox::writeFile(dir + QStringLiteral("/licenses/") + name,
                                       name.toUtf8() + " \xc2\xa9 text\nsecond line\n"));
    }

    static QStringList licenseFiles()
    {
        return {QStringLiteral("COPYING"), QStringLiteral("COPYING.LESSER"), QStringLiteral("qtbase/COPYRIGHT"),
                QStringLiteral("qtsvg/COPYRIGHT"), QStringLiteral("qtimageformats/COPYRIGHT")};
    }

    static QString shownText(const QString &file)
    {
        return file + QString::fromUtf8(" \xc2\xa9 text\nsecond line\n");
    }

    static QAction *findAction(about &dialog, const QString &submenu, const QString &text)
    {
        auto *menuBar = dialog.findChild<QMenuBar *>();
        if (!menuBar)
            return nullptr;
        for (QAction *top : menuBar->actions()) {
            if (submenu.isEmpty() && top->text() == text)
                return top;
            if (!top->menu())
                continue;
            for (QAction *module : top->menu()->actions()) {
                if (module->text() != submenu || !module->menu())
                    continue;
                for (QAction *action : module->menu()->actions())
                    if (action->text() == text)
                        return action;
            }
        }
        return nullptr;
    }

    static QString licenseText(about &dialog)
    {
        return dialog.findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_license"))->toPlainText();
    }

    static int page(about &dialog)
    {
        return dialog.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentIndex();
    }

private slots:
    void initTestCase() { startDir = QDir::currentPath(); }

    void cleanupTestCase() { QDir::setCurrent(startDir); }

    void aboutPage()
    {
        about dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("about"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Zarvel ") + edition());
        QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
        QCOMPARE(page(dialog), 0);

        const auto text = [&dialog](const char *name) {
            auto *label = dialog.findChild<QLabel *>(QLatin1String(name));
            return label ? label->text() : QStringLiteral("(no %1)").arg(QLatin1String(name));
        };
        QCOMPARE(text("label_4"), QStringLiteral("Zarvel"));
        QCOMPARE(text("label_type"), edition());
        QCOMPARE(text("label_2"), QStringLiteral("Version"));
        QCOMPARE(text("label_version"), appVersion);
        QCOMPARE(text("label_6"), QStringLiteral("<html><head/><body><p><img src=\":/res/zarvel-logo.png\" "
                                                 "width=128 height=128 /></p></body></html>"));
        const QString url = QStringLiteral(ZARVEL_PROJECT_URL);
        QCOMPARE(text("label"),
                 QStringLiteral("<html><head/><body><p>Made by <a href=\"") + url
                     + QStringLiteral("\" style=\"text-decoration: none;\">Movrinta</a></p></body></html>"));
        const QString host = QUrl(url).host();
        QVERIFY(!host.isEmpty());
        QCOMPARE(text("label_7"),
                 QStringLiteral("<a href=\"") + url + QStringLiteral("\" style=\"text-decoration: none;\">") + host
                     + QStringLiteral("</a>"));

        auto *credit = dialog.findChild<QLabel *>(QStringLiteral("label"));
        auto *shop = dialog.findChild<QLabel *>(QStringLiteral("label_7"));
        QVERIFY(credit->openExternalLinks());
        QVERIFY(shop->openExternalLinks());
        QCOMPARE(shop->textInteractionFlags(), Qt::TextInteractionFlags(Qt::LinksAccessibleByMouse));

        auto *buttons = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        QCOMPARE(buttons->standardButtons(), QDialogButtonBox::StandardButtons(QDialogButtonBox::Ok));
        auto *viewer = dialog.findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_license"));
        QVERIFY(viewer->isReadOnly());
    }

    // The viewer starts with the Qt licensing notice and the complete GPL
    // v3, both taken from files when Zarvel was built.
    void initialLicenceText()
    {
        about dialog;
        const QString notice = QString::fromUtf8(
            sandbox::readFile(QStringLiteral(ZARVEL_SOURCE_DIR "/cmake/qt-license-notice.txt")));
        const QString gpl = QString::fromUtf8(sandbox::readFile(QStringLiteral(ZARVEL_GPL3_FILE)));
        QVERIFY(notice.contains(QStringLiteral("Qt Toolkit")));
        QVERIFY(gpl.contains(QStringLiteral("GNU GENERAL PUBLIC LICENSE")));
        QVERIFY(gpl.contains(QStringLiteral("Version 3, 29 June 2007")));
        QCOMPARE(licenseText(dialog), notice + gpl);
    }

    void menuTree()
    {
        about dialog;
        auto *menuBar = dialog.findChild<QMenuBar *>();
        QVERIFY(menuBar);
        QCOMPARE(dialog.layout()->menuBar(), menuBar);

        QStringList tree;
        for (QAction *top : menuBar->actions()) {
            tree << top->text() + (top->menu() ? QStringLiteral(":") : QString());
            if (!top->menu())
                continue;
            for (QAction *module : top->menu()->actions()) {
                tree << QStringLiteral("  ") + module->text();
                if (module->menu())
                    for (QAction *action : module->menu()->actions())
                        tree << QStringLiteral("    ") + action->text();
            }
        }
        QStringList expected{QStringLiteral("About"), QStringLiteral("Open Source License:")};
        for (const char *module : {"qtbase", "qtsvg", "qtimageformats"})
            expected << QStringLiteral("  ") + QLatin1String(module) << QStringLiteral("    COPYRIGHT")
                     << QStringLiteral("    LICENSE.GPLv3") << QStringLiteral("    LICENSE.LGPLv3")
                     << QStringLiteral("    USED-LICENSE");
        QCOMPARE(tree, expected);
    }

    void eachActionReadsItsFile_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        for (const char *module : {"qtbase", "qtsvg", "qtimageformats"}) {
            const QString name = QLatin1String(module);
            QTest::addRow("%s COPYRIGHT", module) << name << "COPYRIGHT" << name + QStringLiteral("/COPYRIGHT");
            QTest::addRow("%s GPLv3", module) << name << "LICENSE.GPLv3"
                                              << "COPYING";
            QTest::addRow("%s LGPLv3", module) << name << "LICENSE.LGPLv3"
                                               << "COPYING.LESSER";
            QTest::addRow("%s USED-LICENSE", module) << name << "USED-LICENSE"
                                                     << "COPYING.LESSER";
        }
    }
    void eachActionReadsItsFile()
    {
        QFETCH(QString, module);
        QFETCH(QString, action);
        QFETCH(QString, file);
        writeLicenses(enterNewDirectory(QStringLiteral("all")));
        about dialog;
        QAction *chosen = findAction(dialog, module, action);
        QVERIFY(chosen);
        chosen->trigger();
        QCOMPARE(page(dialog), 1);
        QCOMPARE(licenseText(dialog), shownText(file));

        findAction(dialog, QString(), QStringLiteral("About"))->trigger();
        QCOMPARE(page(dialog), 0);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("label_version"))->text(), appVersion);
    }

    void missingLicensesFolder()
    {
        enterNewDirectory(QStringLiteral("empty"));
        about dialog;
        for (const char *module : {"qtbase", "qtsvg", "qtimageformats"}) {
            for (const char *action : {"COPYRIGHT", "LICENSE.GPLv3", "LICENSE.LGPLv3", "USED-LICENSE"}) {
                dialog.findChild<QPlainTextEdit *>()->setPlainText(QStringLiteral("before"));
                findAction(dialog, QLatin1String(module), QLatin1String(action))->trigger();
                QCOMPARE(page(dialog), 1);
                QCOMPARE(licenseText(dialog), missingText());
            }
        }
    }

    // Read from the working directory at the moment of choosing, not from
    // the program's folder or from when the dialog opened.
    void readsTheCurrentDirectoryEachTime()
    {
        about dialog;
        writeLicenses(enterNewDirectory(QStringLiteral("first")));
        QAction *copying = findAction(dialog, QStringLiteral("qtsvg"), QStringLiteral("LICENSE.GPLv3"));
        copying->trigger();
        QCOMPARE(licenseText(dialog), shownText(QStringLiteral("COPYING")));

        QVERIFY(sandbox::writeFile(QDir::currentPath() + QStringLiteral("/licenses/COPYING"), "changed"));
        copying->trigger();
        QCOMPARE(licenseText(dialog), QStringLiteral("changed"));

        enterNewDirectory(QStringLiteral("second"));
        copying->trigger();
        QCOMPARE(licenseText(dialog), missingText());
    }

    void fileContents_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("NUL ends the text") << QByteArray("before\0after", 12) << QStringLiteral("before");
        QTest::newRow("NUL first") << QByteArray("\0after", 6) << QString();
        QTest::newRow("invalid UTF-8") << QByteArray("a\xff\xfe z \xc3") << QStringLiteral("a\uFFFD\uFFFD z \uFFFD");
        QTest::newRow("UTF-8") << QByteArray("\xc2\xa9 2024 \xe2\x80\x94 Qt\n")
                               << QStringLiteral("\u00a9 2024 \u2014 Qt\n");
    }
    void fileContents()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString dir = enterNewDirectory(QStringLiteral("contents"));
        QVERIFY(sandbox::writeFile(dir + QStringLiteral("/licenses/qtbase/COPYRIGHT"), bytes));
        about dialog;
        findAction(dialog, QStringLiteral("qtbase"), QStringLiteral("COPYRIGHT"))->trigger();
        QCOMPARE(licenseText(dialog), shown);
    }

    // Something other than a readable file where a licence belongs never
    // blocks the dialog: it counts as missing.
    void notAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("unreadable") << "unreadable";
    }
    void notAFile()
    {
        QFETCH(QString, kind);
        const QString dir = enterNewDirectory(QStringLiteral("odd"));
        const QString file = dir + QStringLiteral("/licenses/COPYING");
        QDir().mkpath(dir + QStringLiteral("/licenses"));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(file));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else {
            QVERIFY(sandbox::writeFile(file, "secret"));
            QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
            if (QFile(file).open(QIODevice::ReadOnly))
                QSKIP("running with rights that read any file");
        }
        about dialog;
        findAction(dialog, QStringLiteral("qtbase"), QStringLiteral("LICENSE.GPLv3"))->trigger();
        QCOMPARE(licenseText(dialog), missingText());
    }

    // The tray's "About" runs the dialog modally and destroys it afterwards.
    void openedFromThePanel()
    {
        FakePlatform platform;
        Platform::setInstance(&platform);
        firstArgument = QStringLiteral("-checkupdate");
        MainWindow window;

        QPointer<about> seen;
        QString title;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<about *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            seen = dialog;
            title = dialog->windowTitle();
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        poll.start(10);
        QVERIFY(QMetaObject::invokeMethod(&window, "showAboutWindow"));
        Platform::setInstance(nullptr);
        QCOMPARE(title, QStringLiteral("Zarvel ") + edition());
        QVERIFY(seen.isNull());
        QVERIFY(window.findChildren<about *>().isEmpty());
    }
};

ZARVEL_TEST_MAIN(TestAbout)
#include "tst_about.moc"

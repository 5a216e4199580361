// The autostart entries: the freedesktop .desktop file, written for real
// into the sandbox's config folder, and the Windows shortcut's place.
#include "platform/autostartentry.h"
#include "platform/desktop.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QtTest>

class TestAutostart : public QObject
{
    Q_OBJECT

private:
    QString configHome() const { return sandbox::home() + QStringLiteral("/.config"); }
    QString entryPath() const
    {
        return configHome() + QStringLiteral("/autostart/")
            + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".desktop");
    }

    // desktop-file-validate's complaints about `content`; empty when valid.
    QString validate(const QByteArray &content)
    {
        const QString file = sandbox::root() + QStringLiteral("/check/zarvel.desktop");
        if (!sandbox::writeFile(file, content))
            return QStringLiteral("cannot write ") + file;
        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start(QStringLiteral("desktop-file-validate"), {file});
        if (!validator.waitForFinished(30000))
            return QStringLiteral("desktop-file-validate did not run: ") + validator.errorString();
        const QString output = QString::fromLocal8Bit(validator.readAll()).trimmed();
        return validator.exitCode() == 0 && output.isEmpty() ? QString() : output;
    }

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
        QDir(configHome() + QStringLiteral("/autostart")).removeRecursively();
    }

    void entryContent_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/Zarvel"
                               << "/usr/bin/Zarvel"
                               << "/usr/bin";
        QTest::newRow("space") << "/opt/My Apps/Zarvel"
                               << "\"/opt/My Apps/Zarvel\""
                               << "/opt/My Apps";
        QTest::newRow("dollar") << "/opt/a$b/Zarvel"
                                << "\"/opt/a\\\\$b/Zarvel\""
                                << "/opt/a$b";
        QTest::newRow("percent") << "/opt/100%/Zarvel"
                                 << "/opt/100%%/Zarvel"
                                 << "/opt/100%";
        QTest::newRow("backslash") << "/opt/back\\slash/Zarvel"
                                   << "\"/opt/back\\\\\\\\slash/Zarvel\""
                                   << "/opt/back\\\\slash";
        QTest::newRow("double quote") << "/opt/say \"hi\"/Zarvel"
                                      << "\"/opt/say \\\\\"hi\\\\\"/Zarvel\""
                                      << "/opt/say \"hi\"";
        QTest::newRow("renamed program") << "/home/ann/bin/launcher.x86"
                                         << "/home/ann/bin/launcher.x86"
                                         << "/home/ann/bin";
    }

    void entryContent()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QFETCH(QString, path);
        const QByteArray content = autostartEntry(program);
        const QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
        QVERIFY(lines.contains(QStringLiteral("Type=Application")));
        QVERIFY(lines.contains(QStringLiteral("Name=Zarvel")));
        QVERIFY(lines.contains(QStringLiteral("Icon=zarvel")));
        QVERIFY2(lines.contains(QStringLiteral("Exec=") + exec), content.constData());
        QVERIFY2(lines.contains(QStringLiteral("Path=") + path), content.constData());
        const QString complaints = validate(content);
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
    }

    void execArgument_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "/usr/bin/zarvel"
                               << "/usr/bin/zarvel";
        QTest::newRow("empty") << ""
                               << "\"\"";
        QTest::newRow("backquote") << "/a`b"
                                   << "\"/a\\`b\"";
        QTest::newRow("single quote") << "/ann's/x"
                                      << "\"/ann's/x\"";
        QTest::newRow("field code") << "/a%fb"
                                    << "/a%%fb";
    }

    void execArgument()
    {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        QCOMPARE(desktopExecArgument(argument), expected);
    }

    void createsTheEntryAndItsFolder()
    {
        QVERIFY(!QFileInfo::exists(configHome() + QStringLiteral("/autostart")));
        createAutostartEntryFile();
        QCOMPARE(sandbox::readFile(entryPath()), autostartEntry(QCoreApplication::applicationFilePath()));
        QVERIFY(QFileInfo(entryPath()).permissions().testFlag(QFile::ReadOther));
        // Nothing else is left in the folder.
        QCOMPARE(QDir(configHome() + QStringLiteral("/autostart"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(entryPath()).fileName()});
    }

    void defaultConfigFolder()
    {
        qunsetenv("XDG_CONFIG_HOME");
        createAutostartEntryFile();
        QVERIFY(QFileInfo::exists(sandbox::home() + QStringLiteral("/.config/autostart/")
                                  + QFileInfo(entryPath()).fileName()));
    }

    void existingEntryIsLeftAlone_data()
    {
        QTest::addColumn<bool>("danglingLink");
        QTest::newRow("user's own entry") << false;
        QTest::newRow("dangling link") << true;
    }

    void existingEntryIsLeftAlone()
    {
        QFETCH(bool, danglingLink);
        const QByteArray mine = "[Desktop Entry]\nType=Application\nName=Mine\nExec=/old/place/Zarvel\nHidden=true\n";
        if (danglingLink) {
            QDir().mkpath(QFileInfo(entryPath()).absolutePath());
            QVERIFY(QFile::link(sandbox::root() + QStringLiteral("/nowhere.desktop"), entryPath()));
        } else {
            QVERIFY(sandbox::writeFile(entryPath(), mine));
        }
        createAutostartEntryFile();
        if (danglingLink) {
            QVERIFY(QFileInfo(entryPath()).isSymLink());
            QVERIFY(!QFileInfo::exists(sandbox::root() + QStringLiteral("/nowhere.desktop")));
        } else {
            QCOMPARE(sandbox::readFile(entryPath()), mine);
        }
    }

    void unwritableFolderIsNoFailure()
    {
        // A file where the folder should be: nothing is written, nothing
        // breaks.
        QVERIFY(sandbox::writeFile(configHome() + QStringLiteral("/autostart"), "not a folder"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no autostart entry")));
        createAutostartEntryFile();
        QCOMPARE(sandbox::readFile(configHome() + QStringLiteral("/autostart")), QByteArray("not a folder"));
        QFile::remove(configHome() + QStringLiteral("/autostart"));
    }

    void windowsShortcut_data()
    {
        QTest::addColumn<QString>("appData");
        QTest::addColumn<QString>("organization");
        QTest::addColumn<QString>("application");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("expected");
        const QString startup =
            QStringLiteral("C:/Users/ann/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup/");
        QTest::newRow("Zarvel") << "C:/Users/ann/AppData/Roaming/Zarvel" << ""
                                << "Zarvel"
                                << "C:/Apps/Zarvel/Zarvel.exe" << startup + "Zarvel.lnk";
        QTest::newRow("another name") << "C:/Users/ann/AppData/Roaming/Launcher" << ""
                                      << "Launcher"
                                      << "D:/Launcher.exe" << startup + "Launcher.lnk";
        QTest::newRow("organization") << "C:/Users/ann/AppData/Roaming/Acme/Zarvel"
                                      << "Acme"
                                      << "Zarvel"
                                      << "C:/Apps/Zarvel.exe" << startup + "Zarvel.lnk";
        QTest::newRow("two suffixes") << "C:/Users/ann/AppData/Roaming/Zarvel" << ""
                                      << "Zarvel"
                                      << "C:/Apps/Zarvel.portable.exe" << startup + "Zarvel.portable.lnk";
    }

    void windowsShortcut()
    {
        QFETCH(QString, appData);
        QFETCH(QString, organization);
        QFETCH(QString, application);
        QFETCH(QString, program);
        QFETCH(QString, expected);
        QCOMPARE(windowsStartupShortcut(appData, organization, application, program), expected);
    }
};

ZARVEL_TEST_MAIN(TestAutostart)
#include "tst_autostart.moc"

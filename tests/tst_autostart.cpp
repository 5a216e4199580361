// The autostart entries: the freedesktop .desktop file, written for real
// into the sandbox's config folder, and the Windows shortcut's place.
#include "platform/autostartentry.h"
#include "platform/platform.h"
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
        QFile::remove(configHome() + QStringLiteral("/autostart"));
        QFile::remove(sandbox::root() + QStringLiteral("/nowhere.desktop"));
    }

    void entryContent_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/Zarvel" << "/usr/bin/Zarvel" << "/usr/bin";
        QTest::newRow("space") << "/opt/My Apps/Zarvel" << "\"/opt/My Apps/Zarvel\"" << "/opt/My Apps";
        QTest::newRow("quote, dollar, backquote") << "/opt/\"a\" $b`c`/Zarvel"
                                                  << "\"/opt/\\\\\"a\\\\\" \\\\$b\\\\`c\\\\`/Zarvel\""
                                                  << "/opt/\"a\" $b`c`";
        QTest::newRow("backslash") << "/opt/back\\slash/Zarvel" << "\"/opt/back\\\\\\\\slash/Zarvel\""
                                   << "/opt/back\\\\slash";
        QTest::newRow("percent") << "/opt/100%/Zarvel" << "/opt/100%%/Zarvel" << "/opt/100%";
    }

    void entryContent()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QFETCH(QString, path);
        const QByteArray content = autostartEntry(program);
        const QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
        for (const char *line : {"Type=Application", "Name=Zarvel", "Icon=zarvel"})
            QVERIFY(lines.contains(QLatin1String(line)));
        QVERIFY2(lines.contains(QStringLiteral("Exec=") + exec), content.constData());
        QVERIFY2(lines.contains(QStringLiteral("Path=") + path), content.constData());
        const QString complaints = validate(content);
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
    }

    void createsTheEntryAndItsFolder_data()
    {
        QTest::addColumn<bool>("xdgConfigHome");
        QTest::newRow("XDG_CONFIG_HOME") << true;
        QTest::newRow("~/.config without it") << false;
    }

    void createsTheEntryAndItsFolder()
    {
        QFETCH(bool, xdgConfigHome);
        if (!xdgConfigHome)
            qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(!QFileInfo::exists(configHome() + QStringLiteral("/autostart")));
        nativePlatform().createAutostartEntry();
        QCOMPARE(sandbox::readFile(entryPath()), autostartEntry(QCoreApplication::applicationFilePath()));
        QVERIFY(QFileInfo(entryPath()).permissions().testFlag(QFile::ReadOther));
        // Nothing else is left in the folder.
        QCOMPARE(QDir(configHome() + QStringLiteral("/autostart"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(entryPath()).fileName()});
    }

    // Whatever is already in the entry's place stays as it is.
    void nothingIsReplaced_data()
    {
        QTest::addColumn<bool>("inFoldersPlace");
        QTest::addColumn<bool>("danglingLink");
        QTest::newRow("user's own entry") << false << false;
        QTest::newRow("dangling link") << false << true;
        QTest::newRow("a file where the folder goes") << true << false;
    }

    void nothingIsReplaced()
    {
        QFETCH(bool, inFoldersPlace);
        QFETCH(bool, danglingLink);
        const QString place = inFoldersPlace ? configHome() + QStringLiteral("/autostart") : entryPath();
        const QString nowhere = sandbox::root() + QStringLiteral("/nowhere.desktop");
        const QByteArray mine = "[Desktop Entry]\nType=Application\nName=Mine\nExec=/old/Zarvel\nHidden=true\n";
        QDir().mkpath(QFileInfo(place).absolutePath());
        QVERIFY(danglingLink ? QFile::link(nowhere, place) : sandbox::writeFile(place, mine));
        if (inFoldersPlace)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no autostart entry")));
        nativePlatform().createAutostartEntry();
        QCOMPARE(QFileInfo(place).symLinkTarget(), danglingLink ? nowhere : QString());
        QVERIFY(!QFileInfo::exists(nowhere));
        if (!danglingLink)
            QCOMPARE(sandbox::readFile(place), mine);
    }

    void windowsShortcut_data()
    {
        QTest::addColumn<QString>("appData");
        QTest::addColumn<QString>("organization");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("expected");
        const QString startup =
            QStringLiteral("C:/Users/ann/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup/");
        QTest::newRow("plain") << "C:/Users/ann/AppData/Roaming/Zarvel" << ""
                               << "C:/Apps/Zarvel/Zarvel.exe" << startup + "Zarvel.lnk";
        QTest::newRow("organization") << "C:/Users/ann/AppData/Roaming/Acme/Zarvel" << "Acme"
                                      << "C:/Apps/Zarvel.exe" << startup + "Zarvel.lnk";
        QTest::newRow("two suffixes") << "C:/Users/ann/AppData/Roaming/Zarvel" << ""
                                      << "C:/Apps/Zarvel.portable.exe" << startup + "Zarvel.portable.lnk";
    }

    void windowsShortcut()
    {
        QFETCH(QString, appData);
        QFETCH(QString, organization);
        QFETCH(QString, program);
        QFETCH(QString, expected);
        QCOMPARE(windowsStartupShortcut(appData, organization, QStringLiteral("Zarvel"), program), expected);
    }
};

ZARVEL_TEST_MAIN(TestAutostart)
#include "tst_autostart.moc"

// `cmake --install` of this very build into a temporary prefix: the
// program, its licences, the menu entry and the icon land where a desktop
// finds them, and the installed Zarvel runs.
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TestInstall : public QObject
{
    Q_OBJECT

    // A blank in the prefix, so that every path written into the menu
    // entry and the launcher must be quoted properly.
    QString prefix;

    QString installed(const QString &relative) const { return prefix + QLatin1Char('/') + relative; }

    QString programDir() const { return installed(QStringLiteral(ZARVEL_INSTALL_PROGRAM_DIR)); }

private slots:
    void initTestCase()
    {
        prefix = sandbox::root() + QStringLiteral("/install prefix");
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(ZARVEL_CMAKE), {QStringLiteral("--install"), QStringLiteral(ZARVEL_BUILD_DIR),
                                                     QStringLiteral("--prefix"), prefix});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    // Each file in place, executable or not, and the same bytes as its
    // source; the licences also staged beside the built program, so that
    // Zarvel run from its build folder shows them too.
    void installedFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sameAs");
        QTest::addColumn<bool>("executable");
        const QString dir = QStringLiteral(ZARVEL_INSTALL_PROGRAM_DIR "/");
        const QString staged = QFileInfo(QStringLiteral(ZARVEL_BINARY)).absolutePath() + QStringLiteral("/");
        QTest::newRow("program") << dir + "Zarvel" << ZARVEL_BINARY << true;
        QTest::newRow("launcher") << "bin/zarvel" << QString() << true;
        QTest::newRow("GPL") << dir + "licenses/COPYING" << ZARVEL_GPL3_FILE << false;
        QTest::newRow("LGPL") << dir + "licenses/COPYING.LESSER" << ZARVEL_LGPL3_FILE << false;
        QTest::newRow("qtbase") << dir + "licenses/qtbase/COPYRIGHT" << ZARVEL_QTBASE_COPYRIGHT_FILE << false;
        QTest::newRow("qtsvg") << dir + "licenses/qtsvg/COPYRIGHT" << ZARVEL_QTSVG_COPYRIGHT_FILE << false;
        QTest::newRow("qtimageformats")
            << dir + "licenses/qtimageformats/COPYRIGHT" << ZARVEL_QTIMAGEFORMATS_COPYRIGHT_FILE << false;
        QTest::newRow("menu entry") << "share/applications/zarvel.desktop" << QString() << false;
        QTest::newRow("icon") << "share/icons/hicolor/512x512/apps/zarvel.png"
                              << ZARVEL_SOURCE_DIR "/res/zarvel-logo.png" << false;
        QTest::newRow("scalable icon") << "share/icons/hicolor/scalable/apps/zarvel.svg"
                                       << ZARVEL_SOURCE_DIR "/res/src/logo.svg" << false;
        QTest::newRow("staged GPL") << staged + "licenses/COPYING" << ZARVEL_GPL3_FILE << false;
        QTest::newRow("staged qtsvg") << staged + "licenses/qtsvg/COPYRIGHT" << ZARVEL_QTSVG_COPYRIGHT_FILE << false;
    }
    void installedFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, sameAs);
        QFETCH(bool, executable);
        const QFileInfo info(QDir::isAbsolutePath(file) ? file : installed(file));
        QVERIFY2(info.isFile(), qPrintable(info.filePath()));
        QCOMPARE(info.isExecutable(), executable);
        QVERIFY(info.size() > 0);
        if (!sameAs.isEmpty() && !executable)
            QVERIFY(sandbox::readFile(info.filePath()) == sandbox::readFile(sameAs));
    }

    // What the entry computes; desktop-file-validate judges the rest.
    void menuEntry()
    {
        const QString file = installed(QStringLiteral("share/applications/zarvel.desktop"));
        const QStringList lines = QString::fromUtf8(sandbox::readFile(file)).split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("Icon=zarvel")));
        QVERIFY(lines.contains(QStringLiteral("Exec=\"") + programDir() + QStringLiteral("/Zarvel\"")));
        QVERIFY(lines.contains(QStringLiteral("Path=") + programDir()));

        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (Debian: desktop-file-utils)");
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {file});
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray output = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && output.trimmed().isEmpty(), output.constData());
    }

    // Started the way the launcher starts it, from somewhere else, Zarvel
    // runs in its own folder, where its licences are, and stays.
    void launcherRunsZarvelInItsFolder()
    {
        QProcess zarvel;
        zarvel.setWorkingDirectory(sandbox::home());
        zarvel.start(installed(QStringLiteral("bin/zarvel")), {QStringLiteral("-checkupdate")});
        QVERIFY(zarvel.waitForStarted(5000));
        const QString cwdLink = QStringLiteral("/proc/%1/cwd").arg(zarvel.processId());
        QTRY_COMPARE_WITH_TIMEOUT(QFile::symLinkTarget(cwdLink), programDir(), 10000);
        const bool stayed = !zarvel.waitForFinished(1500);
        zarvel.terminate();
        if (!zarvel.waitForFinished(5000))
            zarvel.kill();
        zarvel.waitForFinished(5000);
        QVERIFY2(stayed, zarvel.readAllStandardError().constData());
    }
};

ZARVEL_TEST_MAIN(TestInstall)
#include "tst_install.moc"

// The real program handing over to a real (scripted) updater in its
// working directory, and coming back in the normal run.
#include "app/config.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QtTest>

#include <signal.h>

class TestHandOver : public QObject
{
    Q_OBJECT

private:
    QString workDir;
    qint64 restartedPid = 0;

    QString path(const QString &name) const { return workDir + QLatin1Char('/') + name; }

    void writeUpdater(const QByteArray &script, bool executable = true)
    {
        QVERIFY(sandbox::writeFile(path(QStringLiteral("zvUpdtr")), script));
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(path(QStringLiteral("zvUpdtr")), permissions));
    }

    // An updater that notes its arguments and working directory and ends.
    void writeRecordingUpdater()
    {
        writeUpdater("#!/bin/sh\n"
                     "printf '%s\\n' \"$@\" > arguments.tmp\n"
                     "pwd > directory\n"
                     "mv arguments.tmp arguments\n");
    }

    QStringList recordedArguments() const
    {
        const QString text = QString::fromUtf8(sandbox::readFile(path(QStringLiteral("arguments"))));
        QStringList lines = text.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    static QStringList expectedArguments()
    {
        return {appVersion,
                updateBaseUrl + QStringLiteral("/version/")
                    + configValue(QStringLiteral("type")).toString().toLower() + QStringLiteral(".json"),
                QStringLiteral("'") + QStringLiteral(ZARVEL_BINARY) + QStringLiteral("' -checkupdate")};
    }

    static void stop(QProcess &process)
    {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }

    // Starts Zarvel in the working directory; true when it ended on its own
    // with status 0 within `limit` milliseconds. Otherwise it is stopped.
    bool endsByItself(const QStringList &arguments, int limit, QByteArray *errors = nullptr)
    {
        QProcess zarvel;
        zarvel.setProgram(QStringLiteral(ZARVEL_BINARY));
        zarvel.setArguments(arguments);
        zarvel.setWorkingDirectory(workDir);
        zarvel.start();
        if (!zarvel.waitForStarted(5000))
            return false;
        const bool ended = zarvel.waitForFinished(limit);
        if (!ended)
            stop(zarvel);
        if (errors)
            *errors = zarvel.readAllStandardError();
        return ended && zarvel.exitStatus() == QProcess::NormalExit && zarvel.exitCode() == 0;
    }

    static QByteArray commandLine(qint64 pid)
    {
        QByteArray line = sandbox::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
        line.replace('\0', ' ');
        return line.trimmed();
    }

    // Alive and not a zombie waiting to be reaped.
    static bool running(qint64 pid)
    {
        const QByteArray stat = sandbox::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const int end = stat.lastIndexOf(')');
        return end > 0 && stat.size() > end + 2 && stat.at(end + 2) != 'Z';
    }

private slots:
    void init()
    {
        // Blanks and a quote in the folder: the updater must still be found
        // and started with its arguments intact.
        workDir = sandbox::root() + QStringLiteral("/program's folder ")
            + QString::fromLatin1(QTest::currentTestFunction());
        if (QTest::currentDataTag())
            workDir += QLatin1Char(' ') + QString::fromLatin1(QTest::currentDataTag());
        QDir(workDir).removeRecursively();
        QVERIFY(QDir().mkpath(workDir));
        restartedPid = 0;
    }

    void cleanup()
    {
        if (restartedPid > 0 && running(restartedPid)) {
            ::kill(static_cast<pid_t>(restartedPid), SIGTERM);
            QTRY_VERIFY_WITH_TIMEOUT(!running(restartedPid), 10000);
        }
    }

    // The whole round: a plain start hands over, the updater receives the
    // three arguments and runs the restart command, the first run ends and
    // the new one, in the normal run, stays.
    void plainStartComesBackThroughTheUpdater()
    {
        writeUpdater("#!/bin/sh\n"
                     "exec >>updater.log 2>&1\n"
                     "printf '%s\\n' \"$@\" > arguments\n"
                     "echo $$ > restarted.tmp && mv restarted.tmp restarted\n"
                     "eval \"exec $3\"\n");
        QVERIFY(endsByItself({}, 20000));

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(QStringLiteral("restarted"))), 20000);
        restartedPid = sandbox::readFile(path(QStringLiteral("restarted"))).trimmed().toLongLong();
        QVERIFY(restartedPid > 0);
        QCOMPARE(recordedArguments(), expectedArguments());

        const QByteArray expected = QByteArray(ZARVEL_BINARY) + " -checkupdate";
        QTRY_COMPARE_WITH_TIMEOUT(commandLine(restartedPid), expected, 20000);
        QCOMPARE(QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(restartedPid)), workDir);
        // The normal run has no reason to end; give it the time a hand-over
        // would need to quit.
        QTest::qWait(1500);
        QVERIFY2(running(restartedPid), sandbox::readFile(path(QStringLiteral("updater.log"))).constData());
    }

    void startModes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("handsOver");
        QTest::newRow("no argument") << QStringList() << true;
        QTest::newRow("other letter case") << QStringList{"-CheckUpdate"} << true;
        QTest::newRow("other argument") << QStringList{"-update"} << true;
        QTest::newRow("second argument only") << QStringList{"-update", "-checkupdate"} << true;
        QTest::newRow("normal run") << QStringList{"-checkupdate"} << false;
        QTest::newRow("normal run, more arguments") << QStringList{"-checkupdate", "-update"} << false;
    }
    void startModes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, handsOver);
        writeRecordingUpdater();
        // A hand-over ends within moments; 1.5 s of a normal run shows it stays.
        QCOMPARE(endsByItself(arguments, handsOver ? 20000 : 1500), handsOver);
        if (handsOver) {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(QStringLiteral("arguments"))), 20000);
            QCOMPARE(recordedArguments(), expectedArguments());
            QCOMPARE(QString::fromUtf8(sandbox::readFile(path(QStringLiteral("directory")))).trimmed(), workDir);
        } else {
            QVERIFY(!QFile::exists(path(QStringLiteral("arguments"))));
        }
    }

    // Without an updater to bring it back, quitting would end Zarvel for
    // good; it stays and runs normally instead.
    void withoutUpdaterItStays_data()
    {
        QTest::addColumn<QString>("updater");
        QTest::newRow("missing") << "";
        QTest::newRow("not executable") << "file";
        QTest::newRow("a folder") << "folder";
    }
    void withoutUpdaterItStays()
    {
        QFETCH(QString, updater);
        if (updater == QLatin1String("file"))
            writeUpdater("#!/bin/sh\ntouch started\n", false);
        else if (updater == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path(QStringLiteral("zvUpdtr"))));
        QByteArray errors;
        QVERIFY(!endsByItself({}, 1500, &errors));
        QVERIFY2(errors.contains("zvUpdtr"), errors.constData());
        QVERIFY(!QFile::exists(path(QStringLiteral("started"))));
    }
};

ZARVEL_TEST_MAIN(TestHandOver)
#include "tst_handover.moc"

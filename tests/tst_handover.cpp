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
        QVERIFY(sandbox::writeFile(path(QStringLiteral("zvUpdtr")), "#!/bin/sh\n" + script));
        QVERIFY(QFile::setPermissions(path(QStringLiteral("zvUpdtr")),
                                      executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner));
    }

    // The updater notes its arguments and its working directory.
    QStringList recorded() const
    {
        return QString::fromUtf8(sandbox::readFile(path(QStringLiteral("arguments"))))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    static QStringList expectedArguments()
    {
        return {appVersion,
                updateBaseUrl + QStringLiteral("/version/")
                    + configValue(QStringLiteral("type")).toString().toLower() + QStringLiteral(".json"),
                QStringLiteral("'") + QStringLiteral(ZARVEL_BINARY) + QStringLiteral("' -checkupdate")};
    }

    // Starts Zarvel in the working directory; true when it ended on its own
    // with status 0 within `limit` milliseconds. Otherwise it is stopped.
    bool endsByItself(const QStringList &arguments, int limit, QByteArray *errors = nullptr)
    {
        QProcess zarvel;
        zarvel.setWorkingDirectory(workDir);
        zarvel.start(QStringLiteral(ZARVEL_BINARY), arguments);
        if (!zarvel.waitForStarted(5000))
            return false;
        const bool ended = zarvel.waitForFinished(limit);
        if (!ended) {
            zarvel.terminate();
            if (!zarvel.waitForFinished(5000))
                zarvel.kill();
            zarvel.waitForFinished(5000);
        }
        if (errors)
            *errors = zarvel.readAllStandardError();
        return ended && zarvel.exitStatus() == QProcess::NormalExit && zarvel.exitCode() == 0;
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
    // three arguments in the working directory and runs the restart command,
    // the first run ends and the new one, in the normal run, stays.
    void plainStartComesBackThroughTheUpdater()
    {
        writeUpdater("exec >>updater.log 2>&1\n"
                     "pwd > directory\n"
                     "printf '%s\\n' \"$@\" > arguments\n"
                     "echo $$ > restarted.tmp && mv restarted.tmp restarted\n"
                     "eval \"exec $3\"\n");
        QVERIFY(endsByItself({}, 20000));

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(QStringLiteral("restarted"))), 20000);
        restartedPid = sandbox::readFile(path(QStringLiteral("restarted"))).trimmed().toLongLong();
        QVERIFY(restartedPid > 0);
        QCOMPARE(recorded(), expectedArguments());
        QCOMPARE(QString::fromUtf8(sandbox::readFile(path(QStringLiteral("directory")))).trimmed(), workDir);

        static const char command[] = ZARVEL_BINARY "\0-checkupdate";
        QTRY_COMPARE_WITH_TIMEOUT(sandbox::readFile(QStringLiteral("/proc/%1/cmdline").arg(restartedPid)),
                                  QByteArray(command, sizeof command), 20000);
        QCOMPARE(QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(restartedPid)), workDir);
        // The normal run has no reason to end; give it the time a hand-over
        // would need to quit.
        QTest::qWait(1500);
        QVERIFY2(running(restartedPid), sandbox::readFile(path(QStringLiteral("updater.log"))).constData());
    }

    // Only "-checkupdate", exactly, as the first argument is the normal run.
    void startModes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("handsOver");
        QTest::newRow("other letter case") << QStringList{"-CheckUpdate"} << true;
        QTest::newRow("second argument only") << QStringList{"-update", "-checkupdate"} << true;
        QTest::newRow("normal run") << QStringList{"-checkupdate"} << false;
        QTest::newRow("normal run, more arguments") << QStringList{"-checkupdate", "-update"} << false;
    }
    void startModes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, handsOver);
        writeUpdater("printf '%s\\n' \"$@\" > arguments.tmp && mv arguments.tmp arguments\n");
        // A hand-over ends within moments; 1.5 s of a normal run shows it stays.
        QCOMPARE(endsByItself(arguments, handsOver ? 20000 : 1500), handsOver);
        if (handsOver)
            QTRY_COMPARE_WITH_TIMEOUT(recorded(), expectedArguments(), 20000);
        else
            QVERIFY(!QFile::exists(path(QStringLiteral("arguments"))));
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
            writeUpdater("touch started\n", false);
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

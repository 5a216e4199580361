// The real program started as a user would: it stays running with the
// panel hidden and leaves exactly the default buttons file behind.
#include "app/config.h"
#include "panel/buttonsfile.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString dataFile() const
    {
        return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Zarvel/buttons.json");
    }

    // Starts Zarvel with `arguments`, lets it run for a while and returns
    // whether it was still running then; it is stopped afterwards.
    bool keepsRunning(const QStringList &arguments, QByteArray *errors = nullptr)
    {
        QProcess zarvel;
        zarvel.setProgram(QStringLiteral(ZARVEL_BINARY));
        zarvel.setArguments(arguments);
        zarvel.setWorkingDirectory(sandbox::home());
        zarvel.start();
        if (!zarvel.waitForStarted(5000))
            return false;
        const bool ended = zarvel.waitForFinished(1500);
        if (!ended) {
            zarvel.terminate();
            if (!zarvel.waitForFinished(5000))
                zarvel.kill();
            zarvel.waitForFinished(5000);
        }
        if (errors)
            *errors = zarvel.readAllStandardError();
        return !ended;
    }

private slots:
    void init()
    {
        QDir(QFileInfo(dataFile()).absolutePath()).removeRecursively();
    }

    void normalRunStaysAndCreatesTheDefaultDocument()
    {
        QVERIFY(!QFileInfo::exists(dataFile()));
        QVERIFY(keepsRunning({QStringLiteral("-checkupdate")}));
        QCOMPARE(sandbox::readFile(dataFile()), QJsonDocument(defaultButtonsLevel()).toJson());
    }

    void corruptFileIsBackedUpAtStart()
    {
        QVERIFY(sandbox::writeFile(dataFile(), "{ \"Button01\": "));
        QByteArray errors;
        QVERIFY(keepsRunning({QStringLiteral("-checkupdate")}, &errors));
        const QStringList backups = QDir(QFileInfo(dataFile()).absolutePath())
                                        .entryList({QStringLiteral("buttons.json.*.bak")}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(errors.contains("buttons.json"), errors.constData());
        QCOMPARE(QJsonDocument::fromJson(sandbox::readFile(dataFile())).object(), defaultButtonsLevel());
    }
};

ZARVEL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"

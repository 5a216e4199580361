// The real program started as a user would: it stays running with the
// panel hidden and leaves exactly the default buttons file behind.
#include "app/config.h"
#include "buttons/buttonsfile.h"
#include "buttons/document.h"
#include "tests/support/sandbox.h"

#include <QApplication>
#include <QDir>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString dataFile() const
    {
        return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Zarvel/buttons.json");
    }

private slots:
    void init()
    {
        QDir(QFileInfo(dataFile()).absolutePath()).removeRecursively();
    }

    void normalRunStaysAndCreatesTheDefaultDocument()
    {
        QVERIFY(!QFileInfo::exists(dataFile()));
        QVERIFY(sandbox::zarvelKeepsRunning({QStringLiteral("-checkupdate")}));
        QCOMPARE(sandbox::readFile(dataFile()), QJsonDocument(defaultButtonsLevel()).toJson());
    }

    void corruptFileIsBackedUpAtStart()
    {
        QVERIFY(sandbox::writeFile(dataFile(), "{ \"Button01\": "));
        QByteArray errors;
        QVERIFY(sandbox::zarvelKeepsRunning({QStringLiteral("-checkupdate")}, &errors));
        const QStringList backups = QDir(QFileInfo(dataFile()).absolutePath())
                                        .entryList({QStringLiteral("buttons.json.*.bak")}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(errors.contains("buttons.json"), errors.constData());
        QCOMPARE(QJsonDocument::fromJson(sandbox::readFile(dataFile())).object(), defaultButtonsLevel());
    }
};

ZARVEL_TEST_MAIN(TestStartup)
#include "tst_startup.moc"

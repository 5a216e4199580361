// Starting a button's stored target through the real X11 implementation:
// real processes, never a shell.
#include "buttons/buttonstyle.h"
#include "platform/platform.h"
#include "tests/support/sandbox.h"

#include <QImage>
#include <QtTest>

class TestLaunching : public QObject {
    Q_OBJECT

    const QString bin = sandbox::home() + "/bin", doc = sandbox::home() + "/notes; $HOME `id`.txt";
    const QString record = sandbox::home() + "/record", pwned = sandbox::home() + "/PWN";

private slots:
    void initTestCase()
    {
        // Each stand-in records its argument vector; a fake gio first in PATH
        // takes the documents instead of the desktop's opener.
        qputenv("PATH", QFile::encodeName(bin) + ':' + qgetenv("PATH"));
        for (const char *name : { "recorder", "gio", "with space/my tool.sh", "it's \"$x\"; a&b.sh" })
            QVERIFY(!sandbox::writeProgram(bin + '/' + QString::fromUtf8(name),
                "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" >\"$HOME/.r$$\" && "
                "mv \"$HOME/.r$$\" \"$HOME/record\"\n")
                         .isEmpty());
        QVERIFY(sandbox::writeFile(doc, "notes\n"));
        QVERIFY(sandbox::writeFile(qEnvironmentVariable("XDG_DATA_HOME") + "/applications/zarvel-test.desktop",
            "[Desktop Entry]\nType=Application\nName=Test\nExec=recorder %f --all %F %u\nIcon=" + QFile::encodeName(bin)
                + "/icon.png\n"));
        QVERIFY(sandbox::writeFile(qEnvironmentVariable("XDG_DATA_HOME") + "/applications/zarvel-script.desktop",
            "[Desktop Entry]\nType=Application\nName=Script\nExec=sh -c \"recorder %f\"\n"));
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(bin + "/icon.png"));
    }

    void startsTheStoredTargetWithoutAShell_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("argv"); // what the started program receives
        QTest::addColumn<QString>("error"); // why nothing started
        const QString rec = bin + "/recorder", gio = bin + "/gio", odd = bin + "/it's \"$x\"; a&b.sh";
        const QString spaced = bin + "/with space/my tool.sh", url = "https://example.org/?q=$(id)&r=`id`";
        const QString payload = "$(touch " + pwned + ") `touch " + pwned + "`;touch " + pwned;
        const QStringList none;
        const QString trap = sandbox::home() + "/a;touch " + pwned + ";'b' \"$(touch " + pwned + ")\"";
        QTest::newRow("program with arguments") << quoteStoredPath(rec) + " --flag \"two words\" plain"
                                                << QStringList { rec, "--flag", "two words", "plain" } << "";
        QTest::newRow("quoted path with spaces") << quoteStoredPath(spaced) << QStringList { spaced } << "";
        QTest::newRow("name with $ ; \" ' &")
            << quoteStoredPath(odd) + " \"$PATH\"" << QStringList { odd, "$PATH" } << "";
        QTest::newRow("command in PATH") << "recorder --x" << QStringList { rec, "--x" } << "";
        QTest::newRow("desktop entry with field codes")
            << "zarvel-test.desktop \"" + doc + '"'
            << QStringList { rec, doc, "--all", doc, QUrl::fromLocalFile(doc).toString(QUrl::FullyEncoded) } << "";
        QTest::newRow("shell payload as arguments")
            << "recorder " + payload << QStringList { rec, "$(touch", pwned + ")", "`touch", pwned + "`;touch", pwned }
            << "";
        QTest::newRow("document") << quoteStoredPath(doc) << QStringList { gio, "open", "--", doc } << "";
        QTest::newRow("web address") << url << QStringList { gio, "open", "--", url } << "";
        QTest::newRow("home folder") << "~/bin/recorder --h" << QStringList { rec, "--h" } << "";
        QTest::newRow("name inside an entry's script")
            << "zarvel-script.desktop " + quoteStoredPath(trap) << QStringList { rec, trap } << "";
        QTest::newRow("missing file") << quoteStoredPath(bin + "/gone") + " --x" << none
                                      << "the file " + bin + "/gone does not exist";
        QTest::newRow("no such program") << "zarvel-no-such-program --x" << none << "there is no such program";
        QTest::newRow("shell payload as the program") << payload << none << "there is no such program";
        QTest::newRow("blank") << " \t " << none << "its target is blank";
    }
    void startsTheStoredTargetWithoutAShell()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, argv);
        QFETCH(QString, error);
        const Platform::StartResult result = nativePlatform().startTarget(stored);
        QCOMPARE(result.error, error);
        QCOMPARE(result.started, error.isEmpty());
        if (result.started)
            QVERIFY(QTest::qWaitFor([this] { return QFile::exists(record); }, 20000));
        QCOMPARE(sandbox::takeRecord(record), argv);
        QVERIFY(!QFile::exists(pwned));
    }

    // A program shows the icon of the application entry that starts it.
    void programsShowTheirApplicationsIcon()
    {
        QVERIFY(!nativePlatform().applicationIcon(bin + "/recorder").isNull());
        QVERIFY(nativePlatform().applicationIcon(bin + "/with space/my tool.sh").isNull());
    }
};

ZARVEL_TEST_MAIN(TestLaunching)
#include "tst_launching.moc"

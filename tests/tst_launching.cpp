// Starting a button's stored target through the real X11 implementation: real processes, never a shell.
#include "buttons/buttonstyle.h"
#include "platform/environment.h"
#include "platform/platform.h"
#include "tests/support/sandbox.h"

#include <QFileIconProvider>
#include <QImage>
#include <QtTest>

class TestLaunching : public QObject {
    Q_OBJECT

    const QString bin = sandbox::home() + "/bin", doc = sandbox::home() + "/notes; $HOME `id`.txt";
    const QString record = sandbox::home() + "/record", pwned = sandbox::home() + "/PWN";

private slots:
    void initTestCase()
    {
        // Stand-ins record their argument vectors (and what Zarvel set for itself); a fake gio in PATH opens documents.
        qputenv("PATH", QFile::encodeName(bin) + ':' + qgetenv("PATH"));
        // Applications in a folder that is made only after they were first read.
        qputenv(
            "XDG_DATA_DIRS", QFile::encodeName(sandbox::home()) + "/more:" + qgetenv("XDG_DATA_DIRS") + ":/usr/share");
        setOwnVariable("QT_XCB_GL_INTEGRATION", "none");
        const QByteArray sh = "#!/bin/sh\ncase \"$*\" in *.nobody) exit 4; esac\n"
                              "printf '%s\\0' \"$0\" \"$@\" $QT_XCB_GL_INTEGRATION >~/.r$$ && mv ~/.r$$ ~/record\n";
        for (const char *name : { "recorder", "gio", "with space/my tool.sh", "it's \"$x\"; a&b.sh" })
            QVERIFY(!sandbox::writeProgram(bin + '/' + QString::fromUtf8(name), sh).isEmpty());
        QVERIFY(sandbox::writeFile(doc, "notes\n"));
        const QString apps = qEnvironmentVariable("XDG_DATA_HOME") + "/applications/zarvel-";
        QVERIFY(sandbox::writeFile(apps + "test.desktop",
            "[Desktop Entry]\nType=Application\nName=Test\nExec=recorder %f --all %F %u\nIcon=" + QFile::encodeName(bin)
                + "/icon.png\n"));
        QVERIFY(sandbox::writeFile(apps + "script.desktop", "[Desktop Entry]\nExec=sh -c \"recorder %f\"\n"));
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
        const QString trap = sandbox::home() + "/a;touch " + pwned + ";'b' \"$(touch " + pwned + ")\"";
        auto row = [](const char *name, const QString &stored, const QStringList &argv, const QString &error = {}) {
            QTest::newRow(name) << stored << argv << error;
        };
        row("arguments", quoteStoredPath(rec) + " --flag \"two words\" plain", { rec, "--flag", "two words", "plain" });
        row("quoted path with spaces", quoteStoredPath(spaced), { spaced });
        row("name with $ ; \" ' &", quoteStoredPath(odd) + " \"$PATH\"", { odd, "$PATH" });
        row("entry's field codes", "zarvel-test.desktop \"" + doc + '"',
            { rec, doc, "--all", doc, QUrl::fromLocalFile(doc).toString(QUrl::FullyEncoded) });
        row("payload as arguments", "recorder " + payload,
            { rec, "$(touch", pwned + ")", "`touch", pwned + "`;touch", pwned });
        row("document", quoteStoredPath(doc), { gio, "open", "--", doc });
        row("web address", url, { gio, "open", "--", url });
        row("home folder", "~/bin/recorder --h", { rec, "--h" });
        row("name inside an entry's script", "zarvel-script.desktop " + quoteStoredPath(trap), { rec, trap });
        row("missing file", quoteStoredPath(bin + "/gone") + " --x", {}, "the file " + bin + "/gone does not exist");
        row("no such program", "zarvel-no-such-program --x", {}, "there is no such program");
    }
    void startsTheStoredTargetWithoutAShell()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, argv);
        QFETCH(QString, error);
        const Platform::StartResult result = nativePlatform().startTarget(stored);
        QCOMPARE(result.error, error);
        QCOMPARE(result.started, error.isEmpty());
        QVERIFY(!result.started || QTest::qWaitFor([this] { return QFile::exists(record); }, 20000));
        QCOMPARE(sandbox::takeRecord(record), argv);
        QVERIFY(!QFile::exists(pwned));
    }

    // A program leaves Zarvel's session, as a detached start does: a Ctrl-C in the terminal Zarvel runs in is not its.
    void startsInASessionOfItsOwn()
    {
        const QString mark = sandbox::home() + "/own session";
        QVERIFY(!sandbox::writeProgram(bin + "/session",
            "#!/bin/sh\nset -- $(cat /proc/$$/stat)\n"
            "[ \"$6\" = $$ ] && touch \"$HOME/own session\"\n")
                     .isEmpty());
        QVERIFY(nativePlatform().startTarget('"' + bin + "/session\"").started);
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(mark); }, 20000));
    }

    // The opener finds no application only after the click has returned; the user still hears why.
    void openerFailsLater()
    {
        QString reason;
        QVERIFY(sandbox::writeFile(doc + ".nobody", "?"));
        QVERIFY(nativePlatform()
                    .startTarget(quoteStoredPath(doc + ".nobody"), [&](const QString &r) { reason = r; })
                    .started);
        QTRY_COMPARE_WITH_TIMEOUT(reason, QStringLiteral("no application is set to open it"), 20000);
    }

    // A program shows the icon of the application entry that starts it, also of one installed while Zarvel runs.
    void programsShowTheirApplicationsIcon_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("installed into a folder read before") << qEnvironmentVariable("XDG_DATA_HOME") + "/applications";
        QTest::newRow("installed into a folder made since") << sandbox::home() + "/more/applications";
    }
    void programsShowTheirApplicationsIcon()
    {
        QFETCH(QString, folder);
        QCOMPARE(nativePlatform().applicationIconFile(bin + "/recorder"), bin + "/icon.png");
        QVERIFY(nativePlatform().applicationIconFile(bin + "/with space/my tool.sh").isEmpty());
        const QString later = sandbox::writeProgram(bin + "/later-" + QTest::currentDataTag());
        ButtonIcons icons;
        const auto showsRed = [&] {
            const QImage shown = icons.icon(later, later, QFileIconProvider()).icon.pixmap(8).toImage();
            return !shown.isNull() && shown.pixelColor(4, 4) == Qt::red;
        };
        QVERIFY(!showsRed());
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(bin + "/red.png"));
        QVERIFY(sandbox::writeFile(folder + "/later.desktop",
            "[Desktop Entry]\nExec=\"" + QFile::encodeName(later) + "\"\nIcon=" + QFile::encodeName(bin)
                + "/red.png\n"));
        QVERIFY(QTest::qWaitFor(showsRed, 20000));
    }

    // A bare program or entry name shows its application's icon as a path does; an icon named in the icon theme shows
    // it, and a document without one the theme's icon of its type (the same picture here).
    void namedIcons()
    {
        const QString theme = sandbox::home() + "/more/icons/hicolor/32x32/";
        QVERIFY(QDir().mkpath(theme + "apps") && QDir().mkpath(theme + "mimetypes"));
        QVERIFY(sandbox::writeFile(theme + "../index.theme", "[Icon Theme]\nDirectories=32x32/apps,32x32/mimetypes\n"));
        for (const char *name : { "apps/zarvel-test", "mimetypes/text-plain" })
            QVERIFY(QFile::copy(bin + "/icon.png", theme + QLatin1String(name) + ".png"));
        QImage generic(8, 8, QImage::Format_RGB32);
        generic.fill(Qt::green);
        QVERIFY(generic.save(theme + "mimetypes/text-x-generic.png"));
        ButtonIcons icons;
        const auto shown = [&icons](const QString &target, const QString &icon) {
            return icons.icon(target, icon, QFileIconProvider()).icon.pixmap(8).toImage();
        };
        const QString recorder = quoteStoredPath(bin + "/recorder");
        QCOMPARE(shown("recorder --all", ""), shown(recorder, recorder));
        QCOMPARE(shown("zarvel-test.desktop", ""), shown(recorder, recorder));
        QCOMPARE(shown("sh", "zarvel-test"), shown(recorder, recorder));
        QCOMPARE(shown(quoteStoredPath(doc), ""), shown(recorder, recorder)); // text-plain, not the generic page
    }

    // A picture redrawn in place, to the byte, shows anew: an icon is made again when its file's time changes.
    void iconFollowsItsFile()
    {
        const QString picture = bin + "/picture.bmp";
        ButtonIcons icons;
        for (const QColor &colour : { QColor(Qt::red), QColor(Qt::blue) }) {
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(colour);
            QFile file(picture);
            QVERIFY(image.save(picture, "BMP") && file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(
                QDateTime::currentDateTime().addSecs(colour == Qt::red ? -60 : 0), QFileDevice::FileModificationTime));
            QCOMPARE(
                icons.icon("target", picture, QFileIconProvider()).icon.pixmap(8).toImage().pixelColor(4, 4), colour);
        }
    }
};

ZARVEL_TEST_MAIN(TestLaunching)
#include "tst_launching.moc"

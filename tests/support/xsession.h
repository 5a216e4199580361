#pragma once

#include <QProcess>
#include <QTest>

#include <memory>
#include <vector>

// A private desktop for end-to-end tests in the test's sandbox: its own Xvfb, openbox (holding the Alt + right-button
// grab a desktop user's window manager does), trayer and the real Zarvel, all stopped with the session; input through
// xdotool as a user's. Windows are X ids, empty for none.
class XSession {
public:
    ~XSession();
    // Each returns once what it started is ready; `error` says what was not.
    bool start(); // Xvfb, openbox and trayer
    // In place of one running, with "-checkupdate" and `settings`: "NAME=value" in its environment, others options.
    bool startZarvel(const QStringList &settings = {}); // sets `panel`
    bool startClient(); // a plain xmessage window at (600,500), 300 x 200; sets `client`
    // Another program in the session, stopped with it.
    QProcess *launch(const QString &program, const QStringList &arguments, QProcessEnvironment environment = {});
    const QProcessEnvironment &environment() const { return m_environment; } // the session's, with its DISPLAY
    qint64 zarvelPid() const { return m_zarvel ? m_zarvel->processId() : 0; }

    QString run(const QString &program, const QStringList &arguments) const; // its output, trimmed
    QString xdotool(const QString &commands) const { return run("xdotool", commands.split(' ')); }
    void click(QPoint at, int button = 1) { xdotool(moveTo(at) + " click " + QString::number(button)); }
    void chord(QPoint at) { xdotool(moveTo(at) + " keydown alt click 3 keyup alt"); }
    bool panelShown() const { return run("xwininfo", { "-id", panel }).contains("IsViewable"); }
    QString focusWindow() const { return xdotool("getwindowfocus"); }
    int trayIcons() const; // Zarvel's windows embedded in a tray
    // Whether the panel was ever put with its top-left corner at `at`: the proof that something did not happen, however
    // late Zarvel's tick.
    bool placedAt(QPoint at) { return logged(QStringLiteral("(%1,%2), width").arg(at.x()).arg(at.y()).toLatin1()); }

    QString error, panel, client;

private:
    static QString moveTo(QPoint at) { return QStringLiteral("mousemove %1 %2").arg(at.x()).arg(at.y()); }
    QStringList search(const QString &how) const { return xdotool("search " + how).split('\n', Qt::SkipEmptyParts); }
    bool logged(const QByteArray &text) { return (m_placements += m_panelLog->readAllStandardOutput()).contains(text); }

    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<QProcess>> m_processes; // stopped in reverse order
    QProcess *m_zarvel = nullptr;
    QProcess *m_panelLog = nullptr; // xev on the panel: "(x,y), width" for every place it is put
    QByteArray m_placements;
};

// Polls `condition`, with events flowing, for up to 20 s; whether it held.
inline const auto waitFor = [](auto condition) { return QTest::qWaitFor(condition, 20000); };

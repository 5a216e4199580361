// The floor that Zarvel is measured against: the least a Qt widgets program
// does that polls every 10 ms and shows a panel-sized tool window on
// request. SIGUSR1 toggles the window (read by the timer, as Zarvel's
// trigger is). It shows the window at start, so that its start to ready
// ends at the first window shown; with --hidden it starts hidden, as Zarvel
// does.
#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <QWidget>

#include <csignal>

static volatile std::sig_atomic_t toggleRequested = 0;

int main(int argc, char *argv[])
{
    // The same as Zarvel does, so that both draw the same way.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    const bool hidden = QCoreApplication::arguments().contains(QStringLiteral("--hidden"));
    QWidget window;
    window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setWindowTitle(QStringLiteral("Floor"));
    window.resize(104, 526);
    window.winId(); // the native window exists before the first show
    std::signal(SIGUSR1, [](int) { toggleRequested = 1; });
    if (!hidden)
        window.show();

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&window] {
        if (!toggleRequested)
            return;
        toggleRequested = 0;
        if (window.isVisible()) {
            window.hide();
        } else {
            window.move(QCursor::pos());
            window.show();
            window.activateWindow();
        }
    });
    timer.start(10);
    return app.exec();
}

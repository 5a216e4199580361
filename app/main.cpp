#include "app/config.h"
#include "panel/mainwindow.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    // Zarvel draws no OpenGL; the xcb GL integration alone costs tens of
    // megabytes of resident memory at the first show.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");

    QApplication a(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        firstArgument = arguments.at(1);

    MainWindow w;
    w.show();
    w.hide();
    return a.exec();
}

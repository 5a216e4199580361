// zarvel-panel-host: the panel on a Wayland compositor with the layer-shell
// protocol, a program of its own that the main Zarvel starts beside it
// (panel/panelhost.cpp), keeps, and talks to over the host's local socket.
// Only the panel lives here: layer-shell turns every window of a process
// into a layer surface, so the tray, the editor and every dialog stay in
// the main one.
#include "app/style.h"
#include "host/hostevents.h"
#include "host/hostwindow.h"
#include "panel/commands.h"
#include "platform/environment.h"
#include "platform/freedmemory.h"
#include "platform/layershell.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

int main(int argc, char *argv[])
{
    // It reads the same pictures the main program does.
    keepFreedMemoryReturnable();
    // Chosen for this process alone: the programs the panel starts get the
    // environment the main Zarvel was given.
    setOwnVariable("QT_QPA_PLATFORM", "wayland");
    // The panel draws into shared-memory buffers. Qt would otherwise load
    // EGL and a Mesa driver at the first window: to ask whether it could
    // draw window decorations with them (layer surfaces have none), and to
    // make every widget window ready for OpenGL.
    setOwnVariable("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    layerShell::enable();
    QApplication application(argc, argv);
    useOwnFusion();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // The main Zarvel holds the other end of our input: when it is gone,
    // so is the host.
    QSocketNotifier parent(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&parent, &QSocketNotifier::activated, &application, [] {
        char byte = 0;
        if (read(STDIN_FILENO, &byte, 1) <= 0)
            QCoreApplication::quit();
    });
    HostWindow panel;
    HostEvents events(&panel);
    application.installEventFilter(&events);
    // Made now rather than by the first show, which would take several
    // times as long as later ones: the overlays' buffers, the panel's window
    // and its first paint (style sheets, fonts, icons).
    layerShell::warmUpOverlays();
    panel.winId();
    panel.grab();
    // Listening since the panel was made; a show that came before is sent now.
    QTimer::singleShot(0, [] { postCommand(readyRequest); });
    return application.exec();
}

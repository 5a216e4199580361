// What Zarvel's memory and start are compared with: a Qt widgets tool of the same parts and nothing of Zarvel's. A
// frameless window (as Zarvel's panel, one the window manager leaves alone) with a label and style-sheeted push buttons
// (as many as the argument says, 2 by default) in a group box, shown once at start, and a tray icon with a menu.
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QWidget window(
        nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
    auto *layout = new QGridLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Tool")), 0, 0);
    auto *group = new QGroupBox;
    auto *grid = new QGridLayout(group);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 2;
    for (int n = 0; n < count; ++n) {
        auto *button = new QPushButton(QString::number(n + 1));
        button->setFixedSize(48, 48);
        button->setStyleSheet(QStringLiteral("QPushButton { background-color: #2a5d8f; border-radius: 4px; }"));
        grid->addWidget(button, n / 2, n % 2);
    }
    layout->addWidget(group, 1, 0);
    window.show();

    QMenu menu;
    menu.addAction(QStringLiteral("Show"), &window, &QWidget::show);
    menu.addAction(QStringLiteral("Quit"), &app, &QApplication::quit);
    QPixmap picture(22, 22);
    picture.fill(QColor(0x2a5d8f));
    QSystemTrayIcon tray { QIcon(picture) };
    tray.setContextMenu(&menu);
    tray.show();
    return app.exec();
}

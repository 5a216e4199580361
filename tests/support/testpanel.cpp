#include "tests/support/testpanel.h"

#include "app/config.h"
#include "panel/mainwindow.h"
#include "platform/platform.h"

TestPanel::~TestPanel()
{
    delete m_window;
    Platform::setInstance(nullptr);
}

MainWindow *TestPanel::open(Platform *platform)
{
    Platform::setInstance(platform);
    firstArgument = QStringLiteral("-checkupdate");
    m_window = new MainWindow;
    return m_window;
}

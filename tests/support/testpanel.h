#pragma once

class MainWindow;
class Platform;

// The panel as a normal run builds it ("-checkupdate"), on a platform the
// test chooses; the window and the platform go again with this object.
class TestPanel
{
public:
    TestPanel() = default;
    TestPanel(const TestPanel &) = delete;
    TestPanel &operator=(const TestPanel &) = delete;
    ~TestPanel();

    MainWindow *open(Platform *platform);

private:
    MainWindow *m_window = nullptr;
};

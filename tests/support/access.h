#pragma once

#include "app/config.h"
#include "editor/moresettings.h"
#include "panel/mainwindow.h"
#include "platform/platform.h"

#include <QVariant>

// The private operations tests, fuzz targets and benchmarks drive, befriended by the panel and the editor: a renamed
// one fails to compile here instead of silently testing nothing. Clicks go through the real buttons and menu actions.
class PanelAccess {
public:
    static void redraw(MainWindow &panel) { panel.setButtonsConfiguration(); }
    static void tick(MainWindow &panel) { panel.checkMouse(); }
    static void setPolling(MainWindow &panel, bool polls) { panel.pollTrigger = polls; }
    static void openSettings(MainWindow &panel) { panel.on_pushButton_settings_clicked(); }
    static const FolderPath &folders(const MainWindow &panel) { return panel.folderStack; }
};

class EditorAccess {
public:
    static QVariant get(moreSettings &editor, const QString &path) { return editor.getJsonDocument(path); }
    static void set(moreSettings &editor, const QString &path, const QVariant &value)
    {
        editor.setJsonDocument(path, value);
    }
};

// The panel as a normal run builds it ("-checkupdate"), on a platform the test chooses, which it gives back when it
// goes.
struct TestPanel {
    explicit TestPanel(Platform *platform)
        : window((Platform::setInstance(platform), firstArgument = "-checkupdate", new MainWindow))
    {
    }
    ~TestPanel() { delete window, Platform::setInstance(nullptr); }
    MainWindow *const window;
};

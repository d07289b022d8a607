#include "shell/startupwindows.h"

#include "app/appcontext.h"
#include "app/startup.h"
#include "shell/splashwindow.h"

#include <QCoreApplication>

std::unique_ptr<QMainWindow> openWindows(AppContext& context, const StartupWindows& windows)
{
    std::unique_ptr<QMainWindow> window;
    {
        // Shown without waiting, and painted before the main window's load
        // keeps the program busy.
        SplashWindow splash;
        splash.show();
        splash.repaint();
        QCoreApplication::processEvents();
        if (windows.loadMainWindow)
            window = windows.loadMainWindow(context);
    }
    if (!window || context.shutDownRequested())
        return nullptr;

    context.mainWindow = window.get();
    if (!context.unloadMainWindow)
        context.unloadMainWindow = [shown = window.get()] { shown->close(); };
    window->show();
    // Only now has the whole start accepted the file.
    Startup::acceptDatabase(context);
    if (!context.shutDownRequested() && windows.showIntroduction &&
        Startup::introductionEnabled(context.config()))
        windows.showIntroduction(context, *window);
    // Ended meanwhile (the file's check found damage while the introduction
    // was open): the program's event loop is not running yet, and would wait
    // with no window for ever.
    if (context.shutDownRequested())
        return nullptr;
    return window;
}

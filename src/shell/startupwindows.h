#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

class AppContext;

// The windows the start-up opens once the database is ready. The main window
// and the introduction belong to their own parts of the program; they are
// handed to the start-up here, so it does not depend on them.
struct StartupWindows
{
    // Creates the main window and loads it without showing it. Returning null,
    // or a shut-down asked for while loading, ends the program.
    std::function<std::unique_ptr<QMainWindow>(AppContext&)> loadMainWindow;
    // Shows the introduction modally over the main window and returns when it
    // has been closed. Called only when the introduction is enabled.
    std::function<void(AppContext&, QMainWindow&)> showIntroduction;
};

// loadMainWindow for a window class constructed as Window(AppContext&) with a
// load() step: StartupWindows{loadMainWindow<MainWindow>, ...}.
template <class Window> std::unique_ptr<QMainWindow> loadMainWindow(AppContext& context)
{
    auto window = std::make_unique<Window>(context);
    window->load();
    return window;
}

// The start-up after the version check: the splash window while the main
// window loads, the splash gone, the main window shown and the database
// accepted (Startup::acceptDatabase), then the introduction when "SHOWTIPS"
// is "Y". Sets the context's mainWindow (and, unless the
// window did, the unload hook that shutDown calls). Returns the shown main
// window, or null when the program must end (also when it was shut down
// while the introduction was open).
std::unique_ptr<QMainWindow> openWindows(AppContext& context, const StartupWindows& windows);

#include "ui/program.h"

#include "app/appcontext.h"
#include "app/startup.h"
#include "ui/application.h"
#include "ui/mainwindow.h"
#include "ui/messageboxprompts.h"
#include "ui/programlogo.h"
#include "ui/tipwindow.h"

#include <QApplication>
#include <QScopeGuard>
#include <cstdlib>

StartupWindows programWindows()
{
    StartupWindows windows;
    windows.loadMainWindow = loadMainWindow<MainWindow>;
    windows.showIntroduction = [](AppContext& context, QMainWindow& mainWindow) {
        TipWindow tip(context, &mainWindow);
        tip.exec();
    };
    return windows;
}

int runProgram(int argc, char** argv)
{
    Application app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Foodlark"));
    QCoreApplication::setApplicationName(QStringLiteral("Foodlark"));
    QApplication::setWindowIcon(programIcon());

    MessageBoxPrompts prompts;
    return runProgramIn(QCoreApplication::applicationDirPath(), prompts);
}

int runProgramIn(const QString& folder, PromptService& prompts)
{
    AppContext context(folder, prompts);
    // A failure no handler caught ends the run on the error path.
    auto* app = dynamic_cast<Application*>(QCoreApplication::instance());
    if (app)
        app->onFailure = [&context](const std::exception& failure) { context.unexpectedFailure(failure); };
    const auto unhook = qScopeGuard([app] {
        if (app)
            app->onFailure = nullptr;
    });
    std::unique_ptr<QMainWindow> mainWindow;
    // The start-up runs before the event loop, outside notify().
    try {
        if (!Startup::openDatabase(context))
            return EXIT_FAILURE;
        mainWindow = openWindows(context, programWindows());
    } catch (const std::exception& failure) {
        context.unexpectedFailure(failure);
        mainWindow.reset();
    }
    if (!mainWindow)
        return EXIT_FAILURE;
    return QApplication::exec();
}

#include "ui/program.h"

#include "app/appcontext.h"
#include "app/startup.h"
#include "ui/mainwindow.h"
#include "ui/messageboxprompts.h"
#include "ui/programlogo.h"
#include "ui/tipwindow.h"

#include <QApplication>
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
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Foodlark"));
    QCoreApplication::setApplicationName(QStringLiteral("Foodlark"));
    QApplication::setWindowIcon(programIcon());

    MessageBoxPrompts prompts;
    return runProgramIn(QCoreApplication::applicationDirPath(), prompts);
}

int runProgramIn(const QString& folder, PromptService& prompts)
{
    AppContext context(folder, prompts);
    if (!Startup::openDatabase(context))
        return EXIT_FAILURE;
    const std::unique_ptr<QMainWindow> mainWindow = openWindows(context, programWindows());
    if (!mainWindow)
        return EXIT_FAILURE;
    return QApplication::exec();
}

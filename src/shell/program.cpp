#include "shell/program.h"

#include "app/appcontext.h"
#include "app/processmemory.h"
#include "app/startup.h"
#include "transfer/transfercommands.h"
#include "shell/application.h"
#include "shell/mainwindow.h"
#include "shell/messageboxprompts.h"
#include "widgets/programlogo.h"
#include "shell/tipwindow.h"

#include <QApplication>
#include <QScopeGuard>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// The benchmark starts the program as a new process with FOODLARK_STARTUP_PROBE
// set and waits for one line on standard error: written once the main window
// has been shown and painted, with the resident memory and the processor time
// used so far. The program then ends without changing anything.
class StartupProbe : public QObject
{
public:
    bool finished = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (event->type() != QEvent::Expose || m_reported || !window || !window->isExposed())
            return false;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == window && qobject_cast<QMainWindow*>(widget)) {
                m_reported = true;
                // After the expose has been handled, that is once the window is painted.
                QTimer::singleShot(0, this, [this] {
                    std::fprintf(stderr, "foodlark-probe: shown, rss_kb=%lld cpu_ms=%.1f\n",
                                 static_cast<long long>(residentMemoryKiB()),
                                 1000.0 * double(std::clock()) / CLOCKS_PER_SEC);
                    std::fflush(stderr);
                    finished = true;
                    QCoreApplication::exit(0);
                });
            }
        }
        return false;
    }

private:
    bool m_reported = false;
};

} // namespace

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

QList<ProgramCommand> programCommands()
{
    return TransferCommands::commands();
}

int runProgram(int& argc, char** argv, const DataFolder& folder)
{
    Application app(argc, argv);
    QApplication::setWindowIcon(programIcon());
    // The desktop entry's name, which lets the desktop show its icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.corvane.foodlark"));

    MessageBoxPrompts prompts;
    return runProgramIn(folder, prompts);
}

int runProgramIn(const DataFolder& folder, PromptService& prompts)
{
    AppContext context(folder, prompts);
    StartupProbe probe;
    if (qEnvironmentVariableIsSet("FOODLARK_STARTUP_PROBE"))
        QCoreApplication::instance()->installEventFilter(&probe);
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
    if (probe.finished)
        return EXIT_SUCCESS;
    return QApplication::exec();
}

#include "ui/program.h"

#include "app/appcontext.h"
#include "ui/messageboxprompts.h"

#include <QApplication>
#include <QMainWindow>

int runProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Foodlark"));
    QCoreApplication::setApplicationName(QStringLiteral("Foodlark"));
    MessageBoxPrompts prompts;
    AppContext context(QCoreApplication::applicationDirPath(), prompts);
    QMainWindow window;
    window.setWindowTitle(context.appTitle + QLatin1Char(' ') + AppContext::appVersion());
    window.show();
    return app.exec();
}

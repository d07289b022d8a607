#include "shell/application.h"

#include <QtDebug>
#include <stdexcept>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        if (onFailure)
            onFailure(failure);
        else
            qWarning() << "unhandled failure:" << failure.what();
    } catch (...) {
        const std::runtime_error unknown("an unknown failure");
        if (onFailure)
            onFailure(unknown);
        else
            qWarning() << "unhandled failure of an unknown kind";
    }
    return false;
}

#pragma once

#include <QApplication>
#include <exception>
#include <functional>

// The program's application object. Every event handler of the program runs
// inside notify(): a failure that escapes one (a data failure no operation
// trapped, for instance) ends there, on the program's one path for fatal
// failures, instead of tearing the process down.
class Application : public QApplication
{
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Receives what escaped an event handler. Without it the failure is only logged.
    std::function<void(const std::exception&)> onFailure;
};

#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>

class QWidget;

// A test never blocks on a modal dialog. Dialogs a test expects are acted on
// by whenModal; any other dialog that starts its own event loop while the
// test waits for it is rejected at once and fails the test, instead of
// hanging it. Armed by every fixture and by whenModal.
namespace ModalGuard {
void arm();
// The dialogs rejected so far in the running test (class and caption).
QStringList rejected();

// While one lives, the running test handles the dialogs it opens itself (a
// script of several dialogs in a row, say), so none of them is rejected.
class Expecting
{
public:
    Expecting();
    ~Expecting();
    Expecting(const Expecting&) = delete;
    Expecting& operator=(const Expecting&) = delete;

private:
    QByteArray m_test;
};
} // namespace ModalGuard

// Runs action on the next modal dialog as soon as it is shown (from a timer,
// while the dialog's own event loop runs), so a test can fill and close
// dialogs that the code under test opens with exec(). A watcher whose dialog
// never came is dropped when its test ends; it never acts on a later test.
void whenModal(std::function<void(QWidget* dialog)> action);

// Runs step from the event loop as soon as it can, then every 10 ms until
// step returns true.
void pollUntil(std::function<bool()> step);

#include "modalguard.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <memory>

namespace {

// The running test function and data row: watchers and rejections belong to it.
QByteArray currentTest()
{
    return QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
}

QList<QByteArray> pendingWatchers; // the test of each whenModal still waiting
QByteArray rejectedIn;
QStringList rejectedDialogs;

void watch()
{
    // Only a dialog with an event loop of its own blocks the test; one a test
    // shows and works on directly does not.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || QThread::currentThread()->loopLevel() == 0 || pendingWatchers.contains(currentTest()))
        return;
    if (rejectedIn != currentTest())
        rejectedDialogs.clear();
    rejectedIn = currentTest();
    const QString name =
        QString::fromLatin1(modal->metaObject()->className()) + " \"" + modal->windowTitle() + '"';
    rejectedDialogs << name;
    QTest::qFail(qPrintable("an unexpected modal dialog was shown and rejected: " + name), __FILE__,
                 __LINE__);
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

} // namespace

void ModalGuard::arm()
{
    static QPointer<QTimer> timer;
    if (timer || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, timer, watch);
    timer->start(50);
}

QStringList ModalGuard::rejected()
{
    return rejectedIn == currentTest() ? rejectedDialogs : QStringList();
}

ModalGuard::Expecting::Expecting() : m_test(currentTest())
{
    arm();
    pendingWatchers << m_test;
}

ModalGuard::Expecting::~Expecting()
{
    pendingWatchers.removeOne(m_test);
}

void pollUntil(std::function<bool()> step)
{
    // The poll refers to itself weakly; each timer it starts holds it, so it
    // is freed once a step is done.
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [step = std::move(step), self = std::weak_ptr(poll)] {
        if (!step())
            QTimer::singleShot(10, [next = self.lock()] { (*next)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

void whenModal(std::function<void(QWidget* dialog)> action)
{
    ModalGuard::arm();
    const QByteArray test = currentTest();
    pendingWatchers << test;
    pollUntil([test, action] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (test == currentTest() && !dialog)
            return false;
        // The dialog counts as expected while its action works on it.
        if (test == currentTest()) // else its test is over: dropped
            action(dialog);
        pendingWatchers.removeOne(test);
        return true;
    });
}

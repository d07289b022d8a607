#include "modalguard.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {

// The running test function and data row, which a watcher belongs to.
QByteArray currentTest()
{
    const char* function = QTest::currentTestFunction();
    const char* row = QTest::currentDataTag();
    return QByteArray(function ? function : "") + '/' + (row ? row : "");
}

struct Watcher
{
    QByteArray test;
    std::function<void(QWidget*)> action;
};

QList<std::shared_ptr<Watcher>>& watchers()
{
    static QList<std::shared_ptr<Watcher>> list;
    return list;
}

struct Rejections
{
    QByteArray test;
    QStringList dialogs;
};

Rejections& rejections()
{
    static Rejections record;
    return record;
}

bool expected()
{
    const QByteArray test = currentTest();
    return std::any_of(watchers().cbegin(), watchers().cend(),
                       [&](const std::shared_ptr<Watcher>& watcher) { return watcher->test == test; });
}

void watch()
{
    // Only a dialog with an event loop of its own blocks the test; one a test
    // shows and works on directly does not.
    if (QThread::currentThread()->loopLevel() == 0)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || expected())
        return;
    const QString name = QString::fromLatin1(modal->metaObject()->className()) + " \"" + modal->windowTitle() + '"';
    Rejections& record = rejections();
    if (record.test != currentTest())
        record = {currentTest(), {}};
    record.dialogs << name;
    QTest::qFail(qPrintable("an unexpected modal dialog was shown and rejected: " + name), __FILE__, __LINE__);
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

} // namespace

void ModalGuard::arm()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    static QPointer<QTimer> timer;
    if (timer)
        return;
    timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, timer, watch);
    timer->start(50);
}

QStringList ModalGuard::rejected()
{
    return rejections().test == currentTest() ? rejections().dialogs : QStringList();
}

void whenModal(std::function<void(QWidget* dialog)> action)
{
    ModalGuard::arm();
    auto watcher = std::make_shared<Watcher>(Watcher{currentTest(), std::move(action)});
    watchers().append(watcher);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [watcher, poll] {
        if (watcher->test != currentTest()) {
            watchers().removeOne(watcher); // its test is over
            return;
        }
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            watchers().removeOne(watcher);
            watcher->action(dialog);
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

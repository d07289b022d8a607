#pragma once

#include "app/startup.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "mainwindowfixture.h"
#include "widgets/nodetree.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

// What the tests of the main window share: the fixture of the running test
// (made by each test's init()), the window shown or started as the program
// starts it, and the moves a user makes on it.
class MainWindowTest : public QObject
{
protected:
    std::unique_ptr<MainWindowFixture> f;

    MainWindowProbe& w() { return f->main(); }
    QAction* action(const QString& name) { return w().findChild<QAction*>(name); }

    // Loads the window and shows it, so that clicks, keys and focus behave as on a screen.
    void loadShown()
    {
        f->load();
        w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w()));
    }
    // The program as it runs: the window loaded, the database accepted and its check passed.
    void start()
    {
        f->load();
        QSignalSpy checked(&f->ctx().dataSource().integrityCheck(), &IntegrityCheck::finished);
        Startup::acceptDatabase(f->ctx());
        QVERIFY(checked.wait(30000));
    }
    // A click on a node of the food tree.
    void clickFood(const QString& key)
    {
        NodeTree* tree = w().tvwFood;
        tree->scrollToItem(tree->node(key));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->node(key)).center());
    }
};

// Runs command and steps on the dialog it opens (a T), then closes whatever
// the steps left open; false when no such dialog came.
template <class T>
bool onDialog(const std::function<void()>& command, const std::function<void(T&)>& steps)
{
    bool ran = false;
    whenModal([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<T*>(modal)) {
            ran = true;
            steps(*dialog);
        }
        if (modal->isVisible())
            modal->close();
    });
    command();
    return ran;
}

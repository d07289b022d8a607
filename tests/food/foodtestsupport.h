#pragma once

// Helpers the food tests share: driving the food tree with the mouse and the
// keyboard as a user would, and reading what the commands and status bar show.

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "food/foodtree.h"
#include "mainwindowfixture.h"
#include "ui/nodetree.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QTest>

namespace FoodTest {

// A fixture window, shown so that clicks, keys and focus behave as on a screen.
inline void showWindow(MainWindowFixture& f)
{
    f.main().show();
    f.main().activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&f.main()));
}

inline NodeTree* foodView(MainWindowFixture& f)
{
    return f.main().tvwFood;
}

inline QTreeWidgetItem* node(MainWindowFixture& f, const QString& key)
{
    return f.main().tvwFood->node(key);
}

inline QPoint nodePoint(NodeTree* tree, QTreeWidgetItem* item)
{
    tree->scrollToItem(item);
    return tree->visualItemRect(item).center();
}

inline void clickNode(NodeTree* tree, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(tree->viewport(), button, {}, nodePoint(tree, item));
}

inline void doubleClickNode(NodeTree* tree, QTreeWidgetItem* item)
{
    const QPoint at = nodePoint(tree, item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

// Opens a group the way a user does the first time: a double-click.
inline void openGroup(MainWindowFixture& f, const QString& key)
{
    doubleClickNode(foodView(f), node(f, key));
}

// Clicks a node, opening the groups on its way that are not loaded yet.
inline void clickFood(MainWindowFixture& f, qint32 groupId, qint32 foodId)
{
    QTreeWidgetItem* group = node(f, QStringLiteral("G%1").arg(groupId));
    if (group->childCount() == 0)
        openGroup(f, QStringLiteral("G%1").arg(groupId));
    clickNode(foodView(f), node(f, QStringLiteral("F%1").arg(foodId)));
}

inline QString selectedKey(MainWindowFixture& f)
{
    return NodeTree::key(foodView(f)->selectedNode());
}

inline QStringList childCaptions(QTreeWidgetItem* item)
{
    QStringList captions;
    for (int i = 0; i < item->childCount(); ++i)
        captions << item->child(i)->text(0);
    return captions;
}

inline QStringList childKeys(QTreeWidgetItem* item)
{
    QStringList keys;
    for (int i = 0; i < item->childCount(); ++i)
        keys << NodeTree::key(item->child(i));
    return keys;
}

inline bool enabled(MainWindowFixture& f, Command command, Surface surface = Surface::Menu)
{
    return f.main().commands().isEnabled(command, surface);
}

// Runs a command as its menu item would.
inline void trigger(MainWindowFixture& f, Command command)
{
    QAction* action = f.main().commands().action(command, Surface::Menu);
    QVERIFY(action);
    QVERIFY2(action->isEnabled(), qPrintable(action->objectName() + " is disabled"));
    action->trigger();
}

// Chooses an entry of a drop-down as a user's pick does.
inline void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Runs action on the next modal dialog once it is open, and closes the dialog
// afterwards if the action left it open (for example after a failed check).
// The action is dropped when the returned guard goes out of scope, so a
// dialog that never opened cannot run it in a later test.
[[nodiscard]] inline std::shared_ptr<bool> onDialog(std::function<void(QDialog*)> action)
{
    auto alive = std::make_shared<bool>(true);
    std::shared_ptr<bool> guard(new bool(true), [alive](bool* p) {
        *alive = false;
        delete p;
    });
    whenModal([action, alive](QWidget* widget) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (!*alive || !dialog)
            return;
        action(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    return guard;
}

inline qint32 foodKeyValue(MainWindowFixture& f)
{
    return f.test.scalar("SELECT KeyValue FROM TableKey WHERE KeyName = 'FOODITEM'").toInt();
}

} // namespace FoodTest

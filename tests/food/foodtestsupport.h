#pragma once

#include "data/orvdatasource.h"
#include "food/foodtree.h"
#include "mainwindowfixture.h"
#include "widgets/nodetree.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

// A food test's main window over the fixture catalogue, and the moves a user
// makes on its food tree, by node key ("G11", "F9003").
class FoodWindow
{
protected:
    std::unique_ptr<MainWindowFixture> f;

    MainWindowProbe& w() { return f->main(); }
    NodeTree* tree() { return w().tvwFood; }
    QTreeWidgetItem* node(const QString& key) { return tree()->node(key); }
    ScriptedPrompts& prompts() { return f->prompts(); }
    Prompt last() { return f->prompts().last(); }
    QString status() { return w().statusPanel1->text(); }
    Recordset& foods() { return f->ctx().dataSource().rsFoods; }
    // The key of the nth food a test makes.
    static QString newFood(int n = 1) { return FoodTree::foodKey(Fixture::kLastFoodId + n); }

    // Loads the window and shows it, so that clicks, keys and focus behave as
    // on a screen; then clicks a node if one is named.
    void load(const QString& select = {})
    {
        f->load();
        show();
        if (!select.isEmpty())
            click(select);
    }
    void show()
    {
        w().show();
        w().activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&w()));
    }

    QPoint at(QTreeWidgetItem* item)
    {
        tree()->scrollToItem(item); // which expands its parents
        return tree()->visualItemRect(item).center();
    }
    // Clicks a node, opening first the group of a food not loaded yet.
    void click(const QString& key, Qt::MouseButton button = Qt::LeftButton)
    {
        if (!node(key) && key.startsWith('F'))
            dclick(FoodTree::groupKey(
                scalar("SELECT GroupId FROM FoodItem WHERE FoodId = ?", {key.mid(1)}).toInt()));
        QTest::mouseClick(tree()->viewport(), button, {}, at(node(key)));
    }
    void dclick(const QString& key)
    {
        const QPoint point = at(node(key));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, point);
    }
    void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(tree(), Qt::Key(key), modifiers);
    }

    QString selected() { return NodeTree::key(tree()->selectedNode()); }
    // The keys, or the captions, of a node's children; of the roots for "".
    QStringList under(const QString& parent, bool captions = false)
    {
        QTreeWidgetItem* item = parent.isEmpty() ? tree()->invisibleRootItem() : node(parent);
        QStringList list;
        for (int i = 0; i < item->childCount(); ++i)
            list << (captions ? item->child(i)->text(0) : NodeTree::key(item->child(i)));
        return list;
    }
    QStringList captions(const QString& parent) { return under(parent, true); }

    bool on(Command command, Surface surface = Surface::Menu)
    {
        return w().commands().isEnabled(command, surface);
    }
    // Runs a command as its menu item does, with the answer to the question it asks.
    void run(Command command, std::optional<PromptAnswer> answer = {})
    {
        QAction* action = w().commands().action(command, Surface::Menu);
        QVERIFY2(action->isEnabled(), qPrintable(action->objectName() + " is disabled"));
        if (answer)
            prompts().queue(*answer);
        action->trigger();
    }

    QVariant scalar(const QString& sql, const QVariantList& params = {})
    {
        return f->test.scalar(sql, params);
    }
    int count(const QString& from, const QVariantList& params = {})
    {
        return scalar("SELECT count(*) FROM " + from, params).toInt();
    }
    QVariantList food(qint32 id, const QString& columns)
    {
        return f->test.rows("SELECT " + columns + " FROM FoodItem WHERE FoodId = ?", {id}).value(0);
    }
};

// Chooses an entry of a drop-down as a user's pick does.
inline void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Runs open(), which opens a modal dialog, and action on that dialog; a dialog
// the action left open (after a refused entry, say) is closed. An action whose
// dialog never opened fails the test and can never run in a later one.
inline void withDialog(const std::function<void()>& open, const std::function<void(QDialog*)>& action)
{
    auto ran = std::make_shared<bool>(false), alive = std::make_shared<bool>(true);
    whenModal([=](QWidget* widget) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (!*alive || !dialog)
            return;
        *ran = true;
        action(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    open();
    *alive = false;
    QVERIFY2(*ran, "no dialog was shown");
}

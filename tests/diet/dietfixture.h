#pragma once

#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "diet/diettree.h"
#include "diet/servingsdialog.h"
#include "food/foodtree.h"
#include "mainwindowfixture.h"
#include "ui/nodetree.h"

#include <QPushButton>
#include <QTest>

// A shown main window over a fixture database, with the moves a user makes in
// the diet tree: clicks, double-clicks and keys on nodes, and the state a drag
// leaves before its drop.
class DietFixture : public MainWindowFixture
{
public:
    DietTree& diet() { return main().dietTree(); }
    NodeTree* tree() { return main().tvwDiet; }
    QTreeWidgetItem* node(const QString& key) { return tree()->node(key); }
    TreeState& state() { return main().state(); }
    OrvDataSource& ds() { return ctx().dataSource(); }

    // Loads and shows the window, so that nodes can be clicked.
    void loadShown()
    {
        load();
        main().show();
        if (!QTest::qWaitForWindowExposed(&main()))
            qWarning("the main window was not exposed");
    }

    QPoint pointOf(QTreeWidgetItem* item)
    {
        tree()->scrollToItem(item);
        return tree()->visualItemRect(item).center();
    }
    void click(QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(tree()->viewport(), button, {}, pointOf(item));
    }
    // Press, release, then the second press that arrives as a double-click.
    void doubleClick(QTreeWidgetItem* item)
    {
        const QPoint at = pointOf(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree()->viewport(), Qt::LeftButton, {}, at);
    }
    void key(Qt::Key key) { QTest::keyClick(tree(), key); }

    // The state a drag of source (a node of either tree) leaves for its drop:
    // the node under the mouse-down, the button, and for a food its record.
    QString dragFrom(NodeTree* from, QTreeWidgetItem* source, Qt::MouseButton button = Qt::LeftButton)
    {
        state().setHitNode(from, source);
        state().popupPending = button == Qt::RightButton;
        if (from == main().tvwFood)
            main().foodTree().selectFoodRecord(NodeTree::key(source), NodeTree::tag(source));
        else
            diet().view()->selectNode(source);
        return NodeTree::key(source);
    }
    // A food node of the food tree, loading its group when needed.
    QTreeWidgetItem* foodNode(int foodId, int groupId)
    {
        const QString key = QStringLiteral("F%1").arg(foodId);
        if (!main().tvwFood->node(key))
            main().foodTree().loadGroupFoods(groupId);
        return main().tvwFood->node(key);
    }
    // Drops a food as a drag with the given button would.
    void dropFood(int foodId, int groupId, QTreeWidgetItem* target, Qt::MouseButton button = Qt::LeftButton)
    {
        const QString text = dragFrom(main().tvwFood, foodNode(foodId, groupId), button);
        diet().dropOn(target, text);
    }

    // Values of one diet row, by DietId.
    QVariantList dietRow(qint32 dietId, const QString& columns)
    {
        return test.rows(QStringLiteral("SELECT %1 FROM DietActivity WHERE DietId = ?").arg(columns), {dietId})
            .value(0);
    }
    int dietCount() { return test.scalar(QStringLiteral("SELECT count(*) FROM DietActivity")).toInt(); }
    qint32 lastDietId() { return test.scalar(QStringLiteral("SELECT max(DietId) FROM DietActivity")).toInt(); }
    QStringList childCaptions(QTreeWidgetItem* parent)
    {
        QStringList captions;
        for (int i = 0; i < parent->childCount(); ++i)
            captions << parent->child(i)->text(0);
        return captions;
    }
    QStringList dayCaptions()
    {
        QStringList captions;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            captions << tree()->topLevelItem(i)->text(0);
        return captions;
    }
};

// Fills the servings dialog the code under test opens next and presses OK
// (or Cancel when ok is false).
inline void whenServings(std::function<void(ServingsDialog*)> fill, bool ok = true)
{
    whenModal([fill, ok](QWidget* widget) {
        auto* dialog = qobject_cast<ServingsDialog*>(widget);
        if (!dialog) {
            qWarning("the modal window is not the servings dialog");
            widget->close();
            return;
        }
        if (fill)
            fill(dialog);
        if (dialog->isVisible())
            (ok ? dialog->OKButton : dialog->CancelButton)->click();
    });
}

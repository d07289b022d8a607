#pragma once

#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "diet/diettree.h"
#include "diet/diettreemodel.h"
#include "diet/dietview.h"
#include "diet/servingsdialog.h"
#include "food/foodtree.h"
#include "mainwindowfixture.h"
#include "widgets/nodetree.h"

#include <QPushButton>
#include <QTest>

inline const QDate kMay14(2003, 5, 14);
inline const QString kNutrients = "Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2";

// A data row of text columns.
inline void textRow(const char* tag, const QStringList& columns)
{
    QTestData& row = QTest::newRow(tag);
    for (const QString& column : columns)
        row << column;
}

// A shown main window over a fixture database, with the moves a user makes in
// the diet tree and the reads that check what the log holds.
class DietFixture : public MainWindowFixture
{
public:
    DietTree& diet() { return main().dietTree(); }
    DietView* tree() { return main().tvwDiet; }
    DietTreeModel& model() { return diet().model(); }
    QModelIndex node(const QString& key) { return model().node(key); }
    bool has(const QString& key) { return node(key).isValid(); }
    static QString entry(qint32 dietId) { return QStringLiteral("D%1").arg(dietId); }
    // The DietDate and MealName a node key stands for: "MLMEAL2DT20030520" is {"2003-05-20", "MEAL2"}.
    static QVariantList placeOf(const QString& key)
    {
        return {QDate::fromString(key.right(8), "yyyyMMdd").toString(Qt::ISODate),
                key.startsWith("ML") ? key.mid(2, 5) : ""};
    }
    TreeState& state() { return main().state(); }
    OrvDataSource& ds() { return ctx().dataSource(); }
    QString supportError() { return "Unable to update Diet Data.  " + ctx().supportMessage; }

    void loadShown()
    {
        load();
        main().show();
        if (!QTest::qWaitForWindowExposed(&main()))
            qWarning("the main window was not exposed");
    }
    // Rebuilds the tree after rows were added behind its back and opens these days.
    void reload(const QList<QDate>& openDays = {})
    {
        diet().reload();
        for (const QDate& day : openDays)
            diet().loadDietDay(day);
    }

    QPoint pointOf(const QModelIndex& node)
    {
        tree()->scrollTo(node);
        return tree()->visualRect(node).center();
    }
    void click(const QModelIndex& node, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(tree()->viewport(), button, {}, pointOf(node));
    }
    // Press, release, then the second press that arrives as a double-click.
    void doubleClick(const QModelIndex& node)
    {
        const QPoint at = pointOf(node);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(tree()->viewport(), Qt::LeftButton, {}, at);
    }
    // Selects a node as a click does, without the mouse.
    void select(const QString& key)
    {
        tree()->selectNode(node(key));
        diet().dietNodeClick(node(key));
    }

    // The state a drag of a diet node leaves for its drop.
    QString dragFrom(const QString& key, Qt::MouseButton button = Qt::LeftButton)
    {
        state().setHitKey(tree(), key);
        state().popupPending = button == Qt::RightButton;
        tree()->selectNode(node(key));
        return key;
    }
    // The same for a food of the food tree.
    QString dragFood(int foodId, int groupId, Qt::MouseButton button = Qt::LeftButton)
    {
        QTreeWidgetItem* source = foodNode(foodId, groupId);
        state().setHitNode(main().tvwFood, source);
        state().popupPending = button == Qt::RightButton;
        main().foodTree().selectFoodRecord(NodeTree::key(source), NodeTree::tag(source));
        return NodeTree::key(source);
    }
    QTreeWidgetItem* foodNode(int foodId, int groupId)
    {
        const QString key = QStringLiteral("F%1").arg(foodId);
        if (!main().tvwFood->node(key))
            main().foodTree().loadGroupFoods(groupId);
        return main().tvwFood->node(key);
    }
    void dropFood(int foodId, int groupId, const QModelIndex& target, Qt::MouseButton button = Qt::LeftButton)
    {
        diet().dropOn(target, dragFood(foodId, groupId, button));
    }
    // An entry of Apples as the left-button drop logs it: 1 serving of 100 g.
    qint32 logApples(const QDate& date, const QString& meal)
    {
        foodNode(Fixture::Apples, Fixture::FruitGroup);
        main().foodTree().selectFoodRecord("F9003", "FOODITEM");
        diet().addDietEntry(1.0, date, {"100 g", 3, 100}, meal);
        return lastDietId();
    }

    QVariantList dietRow(qint32 dietId, const QString& columns)
    {
        return test
            .rows(QStringLiteral("SELECT %1 FROM DietActivity WHERE DietId = ?").arg(columns), {dietId})
            .value(0);
    }
    QList<QVariantList> allRows() { return test.rows("SELECT * FROM DietActivity ORDER BY DietId"); }
    QStringList foodNames()
    {
        QStringList names;
        for (const QVariantList& row : test.rows("SELECT FoodName FROM DietActivity ORDER BY DietId"))
            names << row[0].toString();
        return names;
    }
    int dietCount() { return test.scalar(QStringLiteral("SELECT count(*) FROM DietActivity")).toInt(); }
    qint32 lastDietId()
    {
        return test.scalar(QStringLiteral("SELECT max(DietId) FROM DietActivity")).toInt();
    }
    // The captions of a node's children; of the days for "".
    QStringList captions(const QString& parentKey = {})
    {
        const QModelIndex parent = parentKey.isEmpty() ? QModelIndex() : node(parentKey);
        QStringList captions;
        if (parentKey.isEmpty() || parent.isValid()) {
            for (int i = 0; i < model().rowCount(parent); ++i)
                captions << DietTreeModel::caption(model().index(i, 0, parent));
        }
        return captions;
    }
    QString parentKey(const QString& key) { return DietTreeModel::key(node(key).parent()); }
    QString selectedKey() { return DietTreeModel::key(tree()->selectedNode()); }
    // Every node the tree holds: days, and the meals and entries of opened days.
    int nodeCount(const QModelIndex& parent = QModelIndex())
    {
        int count = 0;
        for (int i = 0; i < model().rowCount(parent); ++i)
            count += 1 + nodeCount(model().index(i, 0, parent));
        return count;
    }
};

// Fills the servings dialog the code under test opens next and presses OK
// (or Cancel when ok is false); a dialog that stays open after OK (its input
// refused) is cancelled, so the test goes on.
inline void whenServings(std::function<void(ServingsDialog*)> fill, bool ok = true)
{
    whenModal([fill, ok](QWidget* widget) {
        auto* dialog = qobject_cast<ServingsDialog*>(widget);
        if (dialog && fill)
            fill(dialog);
        if (widget->isVisible() && dialog)
            (ok ? dialog->OKButton : dialog->CancelButton)->click();
        if (widget->isVisible())
            dialog ? dialog->CancelButton->click() : void(widget->close());
    });
}

#pragma once

#include "data/recordset.h"

#include <QDate>
#include <QObject>
#include <QString>

class MainWindow;
class NodeTree;
class QTreeWidgetItem;

// The current user's diet log tree (tvwDiet): days loaded at once, meals and
// entries of a day on first use; adding food to the log, the totals window,
// and every change to logged entries (edit, cut/copy/paste, delete, moves).
class DietTree : public QObject
{
    Q_OBJECT

public:
    explicit DietTree(MainWindow& main);

    NodeTree* view() const;

    void loadDietDays();
    void loadDietDay(const QDate& date);
    void addDietNode(Recordset& recordset, const QString& kind, bool bulk);
    void selectDietRecord(const QString& key);
    void refreshMealCaptions();
    void dietNodeClick(QTreeWidgetItem* node);
    void dietDoubleClick();
    // Reopens rsDietData for the current user and rebuilds the tree.
    void reload();

    // Adding food (the current row of rsFoods).
    void addDietEntry(double servings, const QDate& date, const QString& servingSize, qint32 measureNo,
                      qint32 gramWeight, const QString& mealKey);

    void showDietTotals();

    // Entry editing, routed from the Edit commands while the diet tree is active.
    void editDietEntry();
    void removeDietEntry(const QString& mode);
    void removeDietMeal(const QString& mealKey, const QDate& date, const QString& mode);
    void removeDietDay(const QDate& date);
    void copyDietEntry(int position, int count);
    void copyDietMeal();
    void pasteDietEntries();
    bool dietClipboardFull() const { return m_dietClipboardFull; }

private:
    MainWindow& m_main;
    bool m_dietClipboardFull = false;
};

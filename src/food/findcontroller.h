#pragma once

#include <QObject>
#include <QPointer>

class AppContext;
class FindDialog;
class FindTarget;
class FoodItemEditor;
class QWidget;

// Find and Find Next over the food catalogue or the current user's diet log:
// the first food or entry whose name contains the find text (a LikePattern,
// any case) in recordset order, selected in its tree.
class FindController : public QObject
{
    Q_OBJECT

public:
    FindController(AppContext& context, QWidget* window, FoodItemEditor& editor, FindTarget& foods,
                   FindTarget& diet);
    ~FindController() override;

    void findFood(bool next);
    // Closes the find window for good (when the main window unloads).
    void unload();
    FindDialog* dialog() const;

private:
    AppContext& m_context;
    FoodItemEditor& m_editor;
    FindTarget& m_foods;
    FindTarget& m_diet;
    QPointer<FindDialog> m_dialog;
};

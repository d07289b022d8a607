#pragma once

#include <QObject>
#include <QPointer>

class FindDialog;
class MainWindow;
class Recordset;

// Find and Find Next over the food catalogue or the current user's diet log:
// the first food or entry whose name contains the find text (a LikePattern,
// any case) in recordset order, selected in its tree.
class FindController : public QObject
{
    Q_OBJECT

public:
    explicit FindController(MainWindow& main);
    ~FindController() override;

    void findFood(bool next);
    // Closes the find window for good (when the main window unloads).
    void unload();
    FindDialog* dialog() const;

private:
    bool showFoodMatch(Recordset& foods);
    bool showDietMatch(Recordset& diet);
    void restorePosition(bool foods);

    MainWindow& m_main;
    QPointer<FindDialog> m_dialog;
};

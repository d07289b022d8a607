#include "food/findcontroller.h"

#include "app/appcontext.h"
#include "food/finddialog.h"
#include "food/findtarget.h"
#include "food/fooditemeditor.h"
#include "widgets/waitcursor.h"

FindController::FindController(AppContext& context, QWidget* window, FoodItemEditor& editor, FindTarget& foods,
                               FindTarget& diet)
    : m_context(context), m_editor(editor), m_foods(foods), m_diet(diet), m_dialog(new FindDialog(window))
{
}

FindController::~FindController() = default;

FindDialog* FindController::dialog() const
{
    return m_dialog;
}

void FindController::unload()
{
    delete m_dialog;
}

void FindController::findFood(bool next)
{
    if (!m_dialog)
        return;
    if (!next) {
        m_dialog->exec();
        if (m_dialog->closeMode() != QLatin1String("FIND"))
            return;
    }
    const bool foods = m_dialog->searchFoods();
    // The search moves rsFoods, which would drop a food change not yet stored.
    if (foods && !m_editor.resolvePendingFood())
        return;
    WaitCursor wait;
    FindTarget& target = foods ? m_foods : m_diet;
    switch (target.findName(m_dialog->findText(), m_dialog->continueSearch() || next)) {
    case NameSearch::Closed:
    case NameSearch::Failed:
        return;
    case NameSearch::Empty:
        m_context.inform(QStringLiteral("No Matching Food entry found"));
        return;
    case NameSearch::Found:
        if (target.showMatch())
            return;
        break;
    case NameSearch::NotFound:
        break;
    }
    m_context.inform(QStringLiteral("No Matching Food entry found"));
    target.restorePosition();
}

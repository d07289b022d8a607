#include "ui/servingscombo.h"

#include "app/numbers.h"

#include <QComboBox>

namespace ServingsCombo {

QComboBox* create(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbServings"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Completing a typed "0" to "0.25" would take a different amount than the one typed.
    combo->setCompleter(nullptr);
    for (int quarter = 1; quarter <= 39; ++quarter)
        combo->addItem(formatServings(quarter * 0.25));
    combo->setEditText(QStringLiteral("1.00"));
    return combo;
}

} // namespace ServingsCombo

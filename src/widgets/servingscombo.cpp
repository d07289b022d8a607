#include "widgets/servingscombo.h"

#include "app/numbers.h"

#include <QComboBox>
#include <cmath>

namespace {

constexpr int kQuarters = 39;

} // namespace

namespace ServingsCombo {

QComboBox* create(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbServings"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Completing a typed "0" to "0.25" would take a different amount than the one typed.
    combo->setCompleter(nullptr);
    for (int quarter = 1; quarter <= kQuarters; ++quarter)
        combo->addItem(formatServings(quarter * 0.25));
    show(combo, 1, QStringLiteral("1.00"));
    return combo;
}

void show(QComboBox* combo, double servings, const QString& text)
{
    // The list is the quarters in order: entry n holds (n + 1) quarters.
    const double quarters = servings * 4;
    const bool listed = quarters >= 1 && quarters <= kQuarters && quarters == std::floor(quarters);
    combo->setCurrentIndex(listed ? int(quarters) - 1 : -1);
    combo->setEditText(text);
}

} // namespace ServingsCombo

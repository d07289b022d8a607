#pragma once

class QComboBox;
class QString;
class QWidget;

// The "Number of Servings" drop-down of the serving dialogs (the diet's and
// the food builder's): editable, offering 0.25 to 9.75 in quarters, "1.00" to
// begin with, and what is typed stays as typed.
namespace ServingsCombo {

QComboBox* create(QWidget* parent);
// Shows text for servings, with the list's entry of the same number
// highlighted (none when the list has no such entry).
void show(QComboBox* combo, double servings, const QString& text);

} // namespace ServingsCombo

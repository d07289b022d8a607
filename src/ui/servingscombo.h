#pragma once

class QComboBox;
class QWidget;

// The "Number of Servings" drop-down of the serving dialogs (the diet's and
// the food builder's): editable, offering 0.25 to 9.75 in quarters, "1.00" to
// begin with, and what is typed stays as typed.
namespace ServingsCombo {

QComboBox* create(QWidget* parent);

} // namespace ServingsCombo

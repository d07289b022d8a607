#pragma once

class QComboBox;

// Drop-downs are read through Qt's own accessible combo box: the list and its
// items as children, the text shown as the value (and, on Linux, as the name),
// and the label through the label whose buddy the drop-down is (or, with no
// label, its description). What it leaves out is the text box of an editable
// drop-down, which has a name only if it is given one.
namespace AccessibleComboBox {

// Gives the text box of an editable drop-down the drop-down's label (call
// once the label is in place, and again when the drop-down is made editable).
void nameEditor(QComboBox* combo);

} // namespace AccessibleComboBox

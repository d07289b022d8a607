#pragma once

#include <QString>

class QDateTimeEdit;
class QDialog;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The frame of the dialogs that ask for a range of days (the report and graph
// criteria, the purges): a prompt over two day pickers with their captions,
// and OK and Cancel at the foot.
namespace DateRangeFrame {

// Names picker and shows its day as "yyyy-MM-dd" with a calendar to pick from.
void setUpPicker(QDateTimeEdit* picker, const char* name);

// Lays out dialog: prompt, then the pickers under their captions. Returns the
// dialog's layout, for what comes between the days and the buttons.
QVBoxLayout* layOut(QDialog* dialog, QLabel* prompt, const QString& lowCaption, QDateTimeEdit* low,
                    const QString& highCaption, QDateTimeEdit* high);

// Adds OK and Cancel (OKButton, CancelButton) at the foot of layout and fixes
// the dialog's size to what it then holds.
void finish(QDialog* dialog, QVBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel);

} // namespace DateRangeFrame

#pragma once

#include <QDialog>

class AppContext;
class QCheckBox;
class QPushButton;
class QTextEdit;

// The introduction window (frmTip), offered at start-up while "SHOWTIPS" is
// "Y" (see Startup::introductionEnabled). Its "&Show at Startup" box stores the
// choice at every change; "Continue" closes it.
class TipWindow : public QDialog
{
    Q_OBJECT

public:
    TipWindow(AppContext& context, QWidget* parent = nullptr);

    QTextEdit* rtbTip = nullptr;
    QCheckBox* chkLoadTipsAtStartup = nullptr;
    QPushButton* cmdOK = nullptr;
};

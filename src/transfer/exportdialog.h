#pragma once

#include "transfer/logexport.h"

#include <QDialog>

class AppContext;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QRadioButton;

// File > Export Data...: whose log, which days and which format. The file
// or folder is chosen next (DataTransfer::exportData).
class ExportDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ExportDialog(AppContext& context, QWidget* parent = nullptr);

    LogExport::Options options() const;

    QComboBox* cmbUser = nullptr;
    QCheckBox* chkDays = nullptr;
    QDateEdit* dtFrom = nullptr;
    QDateEdit* dtTo = nullptr;
    QRadioButton* optJson = nullptr;
    QRadioButton* optCsv = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    void confirm();

    AppContext& m_context;
};

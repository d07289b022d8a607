#pragma once

#include <QDialog>

class AppContext;
class QLabel;
class QPushButton;

// The about window (frmAbout): the program's logo, name and version, the data
// folder in use, how to reach its maker, and the legal notice.
class AboutWindow : public QDialog
{
    Q_OBJECT

public:
    AboutWindow(AppContext& context, QWidget* parent = nullptr);

    QLabel* picIcon = nullptr;
    QLabel* lblDataFolder = nullptr;
    QLabel* lblEmail = nullptr;
    QLabel* lblAddress = nullptr;
    QLabel* lblInternet = nullptr;
    QLabel* lblLegal = nullptr;
    QPushButton* cmdOK = nullptr;
};

#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// frmFind, "Find Food": the text to look for and whether to search the food
// catalogue or the diet log. One instance lives as long as the main window,
// so the text and the choice stay between searches.
class FindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FindDialog(QWidget* parent = nullptr);

    // "FIND" after Find Next, "CANCEL" after Cancel or any other way of closing.
    QString closeMode() const { return m_closeMode; }
    // The next search goes on from the current match.
    bool continueSearch() const { return m_continueSearch; }
    bool searchFoods() const;
    QString findText() const;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void findNext();

    QString m_closeMode;
    bool m_continueSearch = false;
    bool m_searchedFoods = true;

    QGroupBox* Frame1 = nullptr;
    QRadioButton* optFood = nullptr;
    QRadioButton* optDiet = nullptr;
    QLineEdit* txtFindName = nullptr;
    QPushButton* FindButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

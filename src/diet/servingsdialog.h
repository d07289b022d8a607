#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class AppContext;
class Recordset;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;

// dlgServings, "Diet Information": how many servings of which serving size,
// on which day and at which meal. Used when a food is dropped on the diet tree
// with the right mouse button and when an entry is edited. Its result is read
// from closeMode() after it hides: "OK" or "CANCEL".
class ServingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ServingsDialog(AppContext& context, QWidget* parent = nullptr);

    // Fills the serving size list with the measures' descriptions, in order.
    void setMeasures(const QStringList& descriptions);
    // With no measures to offer: shows the one serving size, locked against typing.
    void setFixedServingSize(const QString& servingSize);
    bool hasMeasures() const;

    // Appends " - " + name to the caption.
    void appendToCaption(const QString& name);
    // Fills the dialog for one food or entry: its name in the caption, the
    // measures of rsMeasures with the one numbered msreNo chosen (rsMeasures is
    // left on its first row), or without measures the fixed servingSize; Mark
    // Preferred starts cleared.
    void offerServings(Recordset& measures, const QString& name, qint32 msreNo, const QString& servingSize);

    QComboBox* cmbServings = nullptr;
    QComboBox* cmbServSize = nullptr;
    QDateEdit* dtDate = nullptr;
    QComboBox* cmbMeal = nullptr;
    QCheckBox* rbPreffered = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // "OK", "CANCEL", or "" while the dialog is open.
    QString closeMode() const { return m_closeMode; }
    // The servings typed or chosen; only meaningful after "OK".
    double servings() const;
    // Whether servings of the serving size at index (-1 for none chosen) make
    // an amount someone could have eaten; others are refused as not numeric.
    void setServingsCheck(std::function<bool(double servings, int servingIndex)> check)
    {
        m_servingsCheck = std::move(check);
    }

    void done(int result) override;

private:
    void okClicked();

    AppContext& m_context;
    QString m_closeMode;
    std::function<bool(double, int)> m_servingsCheck;
};

#pragma once

#include <QDialog>
#include <QStringList>

class AppContext;
class QComboBox;
class QPushButton;

// dlgFBServings, "Serving Size Settings": the serving size and number of
// servings of one food builder entry. Its result is read from closeMode()
// after it hides: "OK" or "CANCEL".
class FBServingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FBServingsDialog(AppContext& context, QWidget* parent = nullptr);

    // Appends " - " + name to the caption.
    void appendToCaption(const QString& name);
    // Offers the food's measures with the one at position chosen.
    void offerMeasures(const QStringList& descriptions, int position);
    // With no measures to offer: shows the entry's serving size, locked.
    void lockServingSize(const QString& servingSize);
    bool hasMeasures() const { return m_hasMeasures; }
    void setServings(double servings);

    // The listed measure chosen (its position), -1 for a typed size or
    // without measures; and the number of servings, meaningful after "OK".
    int chosenMeasure() const;
    double servings() const;

    QComboBox* cmbServSize = nullptr;
    QComboBox* cmbServings = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // "OK", "CANCEL", or "" while the dialog is open.
    QString closeMode() const { return m_closeMode; }

    void done(int result) override;

private:
    void okClicked();

    AppContext& m_context;
    QString m_closeMode;
    bool m_hasMeasures = false;
};

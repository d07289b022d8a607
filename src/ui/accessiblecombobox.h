#pragma once

#include <QAccessibleWidget>

class QComboBox;

// What a screen reader learns of a drop-down: its name is the name given to
// it or, failing that, the text of its label; its value is the text it
// shows. (Qt's own version on Linux names a drop-down by its value, so a
// reader announced "1.00" or "Select a Meal" instead of what the list is for.)
class AccessibleComboBox : public QAccessibleWidget
{
public:
    explicit AccessibleComboBox(QComboBox* combo);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // Makes every drop-down of the program use it; once a run is enough.
    static void install();
    // Gives the text box of an editable drop-down the drop-down's name (call
    // once its label is in place, and again when it is made editable).
    static void nameEditor(QComboBox* combo);

private:
    QComboBox* combo() const;
    static QString nameOf(const QComboBox* combo);
};

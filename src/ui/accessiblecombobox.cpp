#include "ui/accessiblecombobox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

// A caption as it reads: "&Servings" is "Servings", "Fish && Chips" is "Fish & Chips".
QString withoutAccessKey(QString caption)
{
    for (qsizetype i = caption.indexOf(QLatin1Char('&')); i >= 0;
         i = caption.indexOf(QLatin1Char('&'), i + 1))
        caption.remove(i, 1);
    return caption;
}

QAccessibleInterface* comboBoxFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("QComboBox"))
        return nullptr;
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo ? new AccessibleComboBox(combo) : nullptr;
}

} // namespace

AccessibleComboBox::AccessibleComboBox(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

QComboBox* AccessibleComboBox::combo() const
{
    return static_cast<QComboBox*>(widget());
}

QString AccessibleComboBox::text(QAccessible::Text t) const
{
    const QComboBox* box = combo();
    const QString value = box->isEditable() && box->lineEdit() ? box->lineEdit()->text() : box->currentText();
    if (t == QAccessible::Value)
        return value;
    if (t != QAccessible::Name)
        return QAccessibleWidget::text(t);
    const QString name = nameOf(box);
    return name.isEmpty() ? value : name;
}

QString AccessibleComboBox::nameOf(const QComboBox* combo)
{
    if (!combo->accessibleName().isEmpty())
        return combo->accessibleName();
    if (const QWidget* parent = combo->parentWidget()) {
        for (const QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (label->buddy() == combo)
                return withoutAccessKey(label->text());
        }
    }
    return QString();
}

void AccessibleComboBox::nameEditor(QComboBox* combo)
{
    if (QLineEdit* editor = combo->lineEdit())
        editor->setAccessibleName(nameOf(combo));
}

QAccessible::State AccessibleComboBox::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.editable = combo()->isEditable();
    return state;
}

QStringList AccessibleComboBox::actionNames() const
{
    return {showMenuAction(), setFocusAction()};
}

void AccessibleComboBox::doAction(const QString& actionName)
{
    if (actionName == showMenuAction())
        combo()->showPopup();
    else
        QAccessibleWidget::doAction(actionName);
}

void AccessibleComboBox::install()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(comboBoxFactory);
    installed = true;
}

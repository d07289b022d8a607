#include "widgets/accessiblecombobox.h"

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

QString labelOf(const QComboBox* combo)
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

} // namespace

void AccessibleComboBox::nameEditor(QComboBox* combo)
{
    if (QLineEdit* editor = combo->lineEdit())
        editor->setAccessibleName(labelOf(combo));
}

#include "widgets/plainbutton.h"

#include <QPushButton>

QPushButton* plainButton(const char* name, const QString& caption, const QString& tip, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    if (!tip.isEmpty())
        button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

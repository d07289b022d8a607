#include "food/nutrients.h"

#include "data/recordset.h"

#include <cmath>

const QStringList& Nutrients::columns()
{
    static const QStringList names = {QStringLiteral("Fat"),     QStringLiteral("Protein"),
                                      QStringLiteral("Carbohydrate"), QStringLiteral("Calorie"),
                                      QStringLiteral("Sodium"),  QStringLiteral("Cholesterol"),
                                      QStringLiteral("Other1"),  QStringLiteral("Other2")};
    return names;
}

Nutrients Nutrients::read(const Recordset& recordset)
{
    Nutrients n;
    for (int i = 0; i < int(n.values.size()); ++i)
        n.values[i] = recordset.number(columns()[i]);
    return n;
}

void Nutrients::write(Recordset& recordset) const
{
    for (int i = 0; i < int(values.size()); ++i)
        recordset.setValue(columns()[i], values[i]);
}

Nutrients Nutrients::times(double factor) const
{
    Nutrients n;
    for (int i = 0; i < int(values.size()); ++i)
        n.values[i] = values[i] * factor;
    return n;
}

bool Nutrients::isFinite() const
{
    for (double v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

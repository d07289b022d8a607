#include "app/numbers.h"

#include <cmath>
#include <limits>

qint32 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<qint32>::min();
    constexpr double highest = std::numeric_limits<qint32>::max();
    if (value <= lowest)
        return std::numeric_limits<qint32>::min();
    if (value >= highest)
        return std::numeric_limits<qint32>::max();
    // Worked out by hand rather than with the floating-point rounding mode,
    // which other code could have changed.
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return qint32(whole);
}

std::optional<double> parseNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // QString::toDouble reads the C locale's notation only (no group
    // separators), but it also takes "inf" and "nan", refused below.
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatNutrient(double value)
{
    QString text = QString::number(value, 'f', 3);
    if (text == QLatin1String("-0.000"))
        text.remove(0, 1);
    return text;
}

#include "app/numbers.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QString shortest(double value)
{
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

// Adds one to the last digit of a string of decimal digits.
QString incremented(QString digits)
{
    int i = digits.size() - 1;
    for (; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

} // namespace

double roundHalfEven(double value, int decimals)
{
    if (!std::isfinite(value) || decimals < 0)
        return value;
    QString text = shortest(value);
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    const int point = text.indexOf(QLatin1Char('.'));
    if (point < 0 || text.size() - point - 1 <= decimals)
        return value;
    const QString whole = text.left(point);
    const QString kept = text.mid(point + 1, decimals);
    const QString rest = text.mid(point + 1 + decimals);
    QString digits = whole + kept;
    bool up = false;
    if (rest[0] > QLatin1Char('5')) {
        up = true;
    } else if (rest[0] == QLatin1Char('5')) {
        const bool beyondHalf = rest.mid(1).contains(QRegularExpression(QStringLiteral("[1-9]")));
        up = beyondHalf || digits.back().digitValue() % 2 == 1;
    }
    if (up)
        digits = incremented(digits);
    QString rounded = digits;
    if (decimals > 0)
        rounded.insert(digits.size() - decimals, QLatin1Char('.'));
    const double magnitude = QLocale::c().toDouble(rounded);
    return negative ? -magnitude : magnitude;
}

qint32 wholeGrams(double grams)
{
    if (!std::isfinite(grams))
        return 0;
    const double rounded = roundHalfEven(grams, 0);
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    return qint32(qBound(lo, rounded, hi));
}

const QString kNotANumberText = QStringLiteral("invalid");

QString formatOneDecimal(double value)
{
    if (!std::isfinite(value))
        return kNotANumberText;
    const double rounded = roundHalfEven(value, 1);
    // A negative value that rounds to nothing reads 0, not -0.
    return shortest(rounded == 0 ? 0.0 : rounded);
}

QString formatServings(double servings)
{
    return formatFixed(servings, 2);
}

bool withinServingsLimit(double servings)
{
    return std::isfinite(servings) && std::abs(servings) <= kMostServings;
}

QString plainNumber(double value)
{
    return shortest(value == 0 ? 0.0 : value);
}

std::optional<double> parseNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return kNotANumberText;
    QString text = QString::number(value, 'f', decimals);
    // A negative value that rounds to nothing has only zeros after its minus.
    const auto zeroOrPoint = [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); };
    if (text.startsWith(QLatin1Char('-')) && std::all_of(text.cbegin() + 1, text.cend(), zeroOrPoint))
        text.remove(0, 1);
    return text;
}

QString formatNutrient(double value)
{
    return formatFixed(value, 3);
}

bool fitsNutrientBox(double value)
{
    if (!std::isfinite(value))
        return false;
    const QString text = formatNutrient(value);
    return text.indexOf(QLatin1Char('.')) - (text.startsWith(QLatin1Char('-')) ? 1 : 0) <= 7;
}

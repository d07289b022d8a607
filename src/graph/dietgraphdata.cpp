#include "graph/dietgraphdata.h"

#include "app/numbers.h"
#include "data/recordset.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const std::array<const char*, DietGraphData::kNutrients> kCaptions = {
    "Calories", "Fat", "Cholesterol", "Sodium", "Carbohydrates", "Protein", "Other1", "Other2"};
const std::array<const char*, DietGraphData::kNutrients> kColumns = {
    "TotCalorie", "TotFat", "TotCholesterol", "TotSodium", "TotCarbohydrate", "TotProtein", "TotOther1", "TotOther2"};
} // namespace

QString DietGraphData::caption(int nutrient)
{
    return QLatin1String(kCaptions.at(nutrient));
}

QString DietGraphData::column(int nutrient)
{
    return QLatin1String(kColumns.at(nutrient));
}

QString DietGraphData::rowLabel(int row)
{
    return QString::number(row + 1) + QLatin1Char(' ');
}

DietGraphData::DietGraphData(const QVector<QDate>& dates,
                             const std::array<QVector<std::optional<double>>, kNutrients>& sums)
    : m_dates(dates), m_sums(sums)
{
    for (auto& values : m_sums)
        values.resize(m_dates.size());
}

DietGraphData DietGraphData::fromRecordset(Recordset& rs)
{
    DietGraphData data;
    const int rows = rs.recordCount();
    data.m_dates.reserve(rows);
    for (auto& values : data.m_sums)
        values.reserve(rows);
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        data.m_dates.append(rs.date(QStringLiteral("DietDate")));
        for (int n = 0; n < kNutrients; ++n) {
            const QVariant sum = rs.value(column(n));
            data.m_sums[n].append(sum.isNull() ? std::nullopt : std::optional<double>(sum.toDouble()));
        }
    }
    return data;
}

QStringList DietGraphData::labels() const
{
    QStringList result;
    result.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row)
        result << rowLabel(row);
    return result;
}

bool DietGraphData::isInvalid(int nutrient, int row) const
{
    const std::optional<double>& v = m_sums[nutrient].at(row);
    return v && !std::isfinite(*v);
}

bool DietGraphData::hasPositive(int nutrient) const
{
    const auto& values = m_sums[nutrient];
    return std::any_of(values.begin(), values.end(), [](const std::optional<double>& v) { return v && *v > 0; });
}

double DietGraphData::lowest(int nutrient) const
{
    double result = std::numeric_limits<double>::infinity();
    for (const std::optional<double>& v : m_sums[nutrient]) {
        if (v && std::isfinite(*v))
            result = std::min(result, *v);
    }
    return std::isfinite(result) ? result : 0;
}

double DietGraphData::highest(int nutrient) const
{
    double result = -std::numeric_limits<double>::infinity();
    for (const std::optional<double>& v : m_sums[nutrient]) {
        if (v && std::isfinite(*v))
            result = std::max(result, *v);
    }
    return std::isfinite(result) ? result : 0;
}

QString DietGraphData::tip(int nutrient, int row, const QString& nutrientCaption) const
{
    const std::optional<double> v = value(nutrient, row);
    return QStringLiteral("Day %1: %2\n%3: %4")
        .arg(row + 1)
        .arg(QLocale::c().toString(date(row), QStringLiteral("ddd yyyy/MM/dd")), nutrientCaption,
             !v                  ? QStringLiteral("no value")
             : std::isfinite(*v) ? QString::number(*v, 'f', 1)
                                 : kNotANumberText);
}

QString DietGraphData::description(const QString& nutrientCaption, bool line) const
{
    if (isEmpty())
        return QString();
    const auto day = [this](int row) { return QLocale::c().toString(date(row), QStringLiteral("yyyy/MM/dd")); };
    return QStringLiteral("%1 of each day's %2: %3 %4 with diet entries, from %5 to %6")
        .arg(line ? QStringLiteral("Line graph") : QStringLiteral("Bar graph"), nutrientCaption)
        .arg(rowCount())
        .arg(rowCount() == 1 ? QStringLiteral("day") : QStringLiteral("days"), day(0), day(rowCount() - 1));
}

QString DietGraphData::title(const QString& nutrientCaption, const QString& range)
{
    return QStringLiteral("Diet Activity Graph of ") + nutrientCaption + QStringLiteral(" for ") + range;
}

DietGraphData::Scale DietGraphData::valueScale(double lo, double hi)
{
    if (!(hi > lo))
        hi = lo + 1;
    const double rough = (hi - lo) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * magnitude;
    for (double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (factor * magnitude >= rough * (1 - 1e-9)) {
            step = factor * magnitude;
            break;
        }
    }
    const double min = std::floor(lo / step + 1e-9) * step;
    const double max = std::ceil(hi / step - 1e-9) * step;
    return {min, max, int(std::lround((max - min) / step)) + 1};
}

#include "report/dietreport.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "report/calorieshares.h"
#include "report/reportformat.h"

namespace {

// The marks of "no day yet" and "no meal yet": no diet row carries them.
const QDate kNoDay(1776, 7, 4);
const QString kNoMeal = QStringLiteral("LASTSUPPER");

// The nutrient columns of a diet row, in the order of the list's columns.
const char* const kNutrientColumns[8] = {"Calorie",      "Fat",     "Cholesterol", "Sodium",
                                         "Carbohydrate", "Protein", "Other1",      "Other2"};

bool isBoldKind(DietReport::Kind kind)
{
    switch (kind) {
    case DietReport::Kind::DayHeader:
    case DietReport::Kind::MealHeader:
    case DietReport::Kind::MealSubtotal:
    case DietReport::Kind::DayTotal:
    case DietReport::Kind::GrandTotal:
    case DietReport::Kind::Percentages:
    case DietReport::Kind::Averages:
    case DietReport::Kind::SnapshotHeader:
        return true;
    default:
        return false;
    }
}

} // namespace

DietReport::DietReport(AppContext& context) : m_context(context)
{
    ConfigStore& config = context.config();
    m_headers = {QStringLiteral("Food Name"), QStringLiteral("Servings"), QStringLiteral("Calories"),
                 QStringLiteral("Fat"),       QStringLiteral("Chol"),     QStringLiteral("Sodium"),
                 QStringLiteral("Carbs"),     QStringLiteral("Protein"),  config.getConfig(QStringLiteral("OTHER1")),
                 config.getConfig(QStringLiteral("OTHER2"))};
    m_snapshotColumns = SnapshotColumns::fromConfig(config);
}

QString DietReport::shared(const QString& text)
{
    // Food names and serving sizes repeat all through a long log: each text
    // is kept once.
    auto it = m_shared.constFind(text);
    if (it == m_shared.constEnd())
        it = m_shared.insert(text, text);
    return *it;
}

void DietReport::add(Kind kind, const QString& first, const Sums& values, double servings)
{
    Row row;
    row.first = first;
    row.values = values;
    row.servings = servings;
    row.kind = kind;
    m_rows.append(std::move(row));
}

void DietReport::addTexts(Kind kind, const QString& first, const QStringList& texts)
{
    add(kind, first);
    m_rows.last().texts = int(m_texts.size());
    m_texts.append(texts);
}

void DietReport::addPercentages(const Sums& sums)
{
    const CalorieShares shares = CalorieShares::of(sums[0], sums[1], sums[4], sums[5]);
    Sums values{};
    values[1] = shares.fat;
    values[4] = shares.carbohydrate;
    values[5] = shares.protein;
    add(Kind::Percentages, QStringLiteral("     Calculated Percentage of Calories:"), values);
}

QString DietReport::mealLabel(const QString& mealKey)
{
    auto it = m_mealLabels.constFind(mealKey);
    if (it == m_mealLabels.constEnd())
        it = m_mealLabels.insert(mealKey, m_context.config().getConfigIfNamed(mealKey));
    return *it;
}

void DietReport::addMealHeader(const QDate& day, const QString& mealKey)
{
    add(Kind::MealHeader, QStringLiteral("  ") + ReportFormat::day(day) + QStringLiteral(" - ") + mealLabel(mealKey));
}

void DietReport::addSnapshotRows(const QDate& day)
{
    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdSnapShotReport(QDateTime(day, QTime(0, 0, 1)), QDateTime(day, QTime(23, 59, 59)),
                              m_context.currentUser)) {
        m_stopped = true;
        return;
    }
    Recordset& rs = ds.rsSnapShotReport;
    if (rs.recordCount() > 0) {
        const int last = m_snapshotColumns.last();
        addBlank();
        QStringList labels(8);
        for (int i = 0; i <= last; ++i)
            labels[i] = m_snapshotColumns.labels[i];
        addTexts(Kind::SnapshotHeader, ReportFormat::day(day) + QStringLiteral(" Physical Snapshot Data "), labels);
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            QStringList values(8);
            for (int i = 0; i <= last; ++i) {
                const int n = m_snapshotColumns.fields[i];
                values[i] = ReportFormat::snapshotValue(rs.value(QStringLiteral("SnapVal%1").arg(n)), n);
            }
            addTexts(Kind::SnapshotValues,
                     ReportFormat::time(rs.dateTime(QStringLiteral("SnapDateTm"))) + QStringLiteral(" - ") +
                         rs.text(QStringLiteral("SnapComments")),
                     values);
        }
        addBlank();
    }
    rs.close();
}

bool DietReport::build(Recordset& dietRows)
{
    m_rows.clear();
    m_texts.clear();
    m_dayCount = 0;
    m_stopped = false;
    if (options.totalsOnly && m_headers.size() == 10) {
        m_headers.removeAt(1);
        m_headers[0] = QStringLiteral("Date");
    }
    if (!dietRows.isOpen() || dietRows.recordCount() == 0)
        return false;

    const Options& o = options;
    Sums mealTotals{}, dayTotals{}, reportTotals{};
    QDate lastDate = kNoDay;
    QString lastMeal = kNoMeal;
    QString lastDateText;
    QDate rowDate;

    auto mealSubtotal = [&] {
        add(Kind::MealSubtotal,
            QStringLiteral("  ") + ReportFormat::day(lastDate) + QStringLiteral(" - ") + mealLabel(lastMeal) +
                QStringLiteral(" Totals:"),
            mealTotals);
        if (o.showPercentages)
            addPercentages(mealTotals);
    };
    // The day's total with its shares and snapshots.
    auto dayTotal = [&] {
        const QString date = ReportFormat::day(lastDate);
        add(Kind::DayTotal, o.totalsOnly ? date : date + QStringLiteral(" Totals:"), dayTotals);
        if (o.showPercentages)
            addPercentages(dayTotals);
        if (o.showSnapshot)
            addSnapshotRows(lastDate);
    };

    for (dietRows.moveFirst(); !dietRows.eof() && !m_stopped; dietRows.moveNext()) {
        // Days repeat row after row: each day's text is read into a date once.
        const QString dateText = dietRows.text(QStringLiteral("DietDate"));
        if (dateText != lastDateText || !rowDate.isValid()) {
            rowDate = dietRows.date(QStringLiteral("DietDate"));
            lastDateText = dateText;
        }
        const QDate d = rowDate;
        const QString m = dietRows.text(QStringLiteral("MealName")); // "" for none

        if (o.mealBreak && (m != lastMeal || d != lastDate)) {
            if (lastDate != kNoDay && lastMeal != kNoMeal) {
                addBlank();
                if (!ConfigStore::trimSpaces(lastMeal).isEmpty()) {
                    mealSubtotal();
                    addBlank();
                }
            }
            mealTotals = {};
            if (!m.isEmpty() && d == lastDate) {
                addMealHeader(d, m);
                addBlank();
            }
            lastMeal = m;
        }

        if (d != lastDate) {
            if (lastDate != kNoDay) {
                if (!o.totalsOnly)
                    addBlank();
                dayTotal();
                if (m_stopped)
                    break;
                if (!o.totalsOnly) {
                    addBlank();
                    addBlank();
                }
            }
            ++m_dayCount;
            dayTotals = {};
            if (!o.totalsOnly) {
                add(Kind::DayHeader, ReportFormat::day(d));
                addBlank();
                if (o.mealBreak && !m.isEmpty()) {
                    addMealHeader(d, m);
                    addBlank();
                }
            }
            lastDate = d;
        }

        Sums values;
        for (int i = 0; i < 8; ++i)
            values[i] = dietRows.number(QLatin1String(kNutrientColumns[i]));
        if (!o.totalsOnly) {
            add(Kind::Detail, shared(dietRows.text(QStringLiteral("FoodName"))), values,
                dietRows.number(QStringLiteral("NumServings")));
            add(Kind::ServingSize, shared(ReportFormat::servingSizeLine(dietRows.text(QStringLiteral("ServingSize")))));
        }
        for (int i = 0; i < 8; ++i) {
            mealTotals[i] += values[i];
            dayTotals[i] += values[i];
            reportTotals[i] += values[i];
        }
    }
    m_shared.clear();
    if (m_stopped)
        return true;

    if (o.mealBreak && !ConfigStore::trimSpaces(lastMeal).isEmpty()) {
        addBlank();
        mealSubtotal();
    }
    if (!o.totalsOnly)
        addBlank();
    dayTotal();
    addBlank();
    addBlank();
    add(Kind::GrandTotal, QStringLiteral("Report Grand Totals:"), reportTotals);
    if (o.showPercentages)
        addPercentages(reportTotals);
    if (o.showAverages) {
        Sums averages;
        for (int i = 0; i < 8; ++i)
            averages[i] = reportTotals[i] / m_dayCount;
        add(Kind::Averages, QStringLiteral("     Daily Averages:"), averages);
    }
    return true;
}

Qt::Alignment DietReport::alignment(int column) const
{
    return column == 0 ? Qt::AlignLeft : Qt::AlignRight;
}

bool DietReport::isBold(int row) const
{
    return isBoldKind(m_rows[row].kind);
}

QString DietReport::imageKey(int row) const
{
    switch (m_rows[row].kind) {
    case Kind::DayHeader:
    case Kind::DayTotal:
        return QStringLiteral("dietdate");
    case Kind::MealHeader:
    case Kind::MealSubtotal:
        return QStringLiteral("meal");
    case Kind::GrandTotal:
        return QStringLiteral("report");
    case Kind::SnapshotHeader:
        return QStringLiteral("camera");
    default:
        return {};
    }
}

QString DietReport::nutrientText(const Row& row, int nutrient) const
{
    switch (row.kind) {
    case Kind::Blank:
    case Kind::DayHeader:
    case Kind::MealHeader:
    case Kind::ServingSize:
        return QStringLiteral(" ");
    case Kind::Percentages:
        // Shares of fat, carbohydrate and protein; the other columns stay empty.
        if (nutrient == 1 || nutrient == 4 || nutrient == 5)
            return ReportFormat::share(row.values[nutrient]);
        return nutrient >= 6 ? QStringLiteral(" ") : QString();
    case Kind::SnapshotHeader:
    case Kind::SnapshotValues:
        return m_texts[row.texts][nutrient];
    default:
        return ReportFormat::nutrient(row.values[nutrient]);
    }
}

QString DietReport::text(int row, int column) const
{
    const Row& r = m_rows[row];
    if (column == 0)
        return r.first;
    const bool withServings = !options.totalsOnly;
    if (withServings && column == 1) {
        switch (r.kind) {
        case Kind::Blank:
        case Kind::DayHeader:
        case Kind::MealHeader:
        case Kind::ServingSize:
            return QStringLiteral(" ");
        case Kind::Detail:
            return ReportFormat::servings(r.servings);
        default:
            return QString();
        }
    }
    const int nutrient = column - (withServings ? 2 : 1);
    return nutrient >= 0 && nutrient < 8 ? nutrientText(r, nutrient) : QString();
}

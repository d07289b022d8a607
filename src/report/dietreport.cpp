#include "report/dietreport.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "data/storeddates.h"
#include "report/calorieshares.h"
#include "report/reportformat.h"
#include "report/snapshotreport.h"
#include "snapshot/snapshotentry.h"

namespace {

// The marks of "no day yet" and "no meal yet": no diet row carries them.
const QDate kNoDay(1776, 7, 4);
const QString kNoMeal = QStringLiteral("LASTSUPPER");

// The columns of a diet row, named in lower case as the recordset looks
// them up; the nutrients in the order of the list's columns.
const QString kDietDate = QStringLiteral("dietdate");
const QString kMealName = QStringLiteral("mealname");
const QString kFoodName = QStringLiteral("foodname");
const QString kNumServings = QStringLiteral("numservings");
const QString kServingSize = QStringLiteral("servingsize");
const QString kNutrientColumns[8] = {QStringLiteral("calorie"),      QStringLiteral("fat"),
                                     QStringLiteral("cholesterol"),  QStringLiteral("sodium"),
                                     QStringLiteral("carbohydrate"), QStringLiteral("protein"),
                                     QStringLiteral("other1"),       QStringLiteral("other2")};

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
    case DietReport::Kind::GoalShares:
        return true;
    default:
        return false;
    }
}

} // namespace

DietReport::DietReport(AppContext& context)
    : m_context(context), m_snapshotSlots(SnapshotSlots::fromConfig(context.config()))
{
    ConfigStore& config = context.config();
    m_headers = {QStringLiteral("Food Name"),
                 QStringLiteral("Servings"),
                 QStringLiteral("Calories"),
                 QStringLiteral("Fat"),
                 QStringLiteral("Chol"),
                 QStringLiteral("Sodium"),
                 QStringLiteral("Carbs"),
                 QStringLiteral("Protein"),
                 config.getConfig(QStringLiteral("OTHER1")),
                 config.getConfig(QStringLiteral("OTHER2"))};
}

QString DietReport::servingLine(const QString& servingSize)
{
    auto it = m_servingLines.constFind(servingSize);
    if (it == m_servingLines.constEnd())
        it = m_servingLines.insert(servingSize, ReportFormat::servingSizeLine(servingSize));
    return *it;
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

void DietReport::addGoalShares(const QString& first, const Sums& sums, int days)
{
    if (!m_goalRows)
        return;
    Sums perDay;
    for (int i = 0; i < 8; ++i)
        perDay[i] = sums[i] / days;
    add(Kind::GoalShares, first, perDay);
}

QString DietReport::mealLabel(const QString& mealKey)
{
    auto it = m_mealLabels.constFind(mealKey);
    if (it == m_mealLabels.constEnd())
        it = m_mealLabels.insert(mealKey, m_context.config().getConfigIfNamed(mealKey));
    return *it;
}

void DietReport::addMealHeader(const QString& day, const QString& mealKey)
{
    add(Kind::MealHeader, QStringLiteral("  ") + day + QStringLiteral(" - ") + mealLabel(mealKey));
}

bool DietReport::readSnapshots(const QDate& first, const QDate& last)
{
    // The snapshots of every day of the report in one query rather than one a
    // day; a snapshot of midnight exactly belongs to no day.
    m_snapshots.clear();
    if (!SnapshotReport::query(m_context, first, last))
        return false;
    Recordset& rs = m_context.dataSource().rsSnapShotReport;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        const SnapshotEntry entry = SnapshotEntry::read(rs, m_snapshotSlots);
        if (entry.taken.time() == QTime(0, 0))
            continue;
        SnapshotRow row;
        row.first = ReportFormat::time(entry.taken) + QStringLiteral(" - ") + entry.comment;
        row.values = ReportFormat::snapshotValues(entry, m_snapshotSlots);
        row.values.resize(8);
        m_snapshots[entry.taken.date()].append(row);
    }
    rs.close();
    return true;
}

void DietReport::addSnapshotRows(const QDate& day)
{
    const auto it = m_snapshots.constFind(day);
    if (it == m_snapshots.constEnd() || it->isEmpty())
        return;
    addBlank();
    QStringList labels = ReportFormat::snapshotLabels(m_snapshotSlots);
    labels.resize(8);
    addTexts(Kind::SnapshotHeader, ReportFormat::day(day) + QStringLiteral(" Physical Snapshot Data "),
             labels);
    for (const SnapshotRow& row : *it)
        addTexts(Kind::SnapshotValues, row.first, row.values);
    addBlank();
}

bool DietReport::build(Recordset& dietRows)
{
    m_rows.clear();
    m_texts.clear();
    m_dayCount = 0;
    if (options.totalsOnly && m_headers.size() == 10) {
        m_headers.removeAt(1);
        m_headers[0] = QStringLiteral("Date");
    }
    if (!dietRows.isOpen() || dietRows.recordCount() == 0)
        return false;
    if (options.showSnapshot) {
        // The days from the first real one to the last (a damaged date may
        // stand at either end).
        QDate first, last;
        for (dietRows.moveFirst(); !dietRows.eof() && !first.isValid(); dietRows.moveNext())
            first = storedDay(dietRows.text(kDietDate));
        for (dietRows.moveLast(); !dietRows.bof() && !last.isValid(); dietRows.movePrevious())
            last = storedDay(dietRows.text(kDietDate));
        if (first.isValid() && !readSnapshots(first, last))
            return true;
    }
    m_goalRows = false;
    if (options.showGoals) {
        const DailyGoals goals = DailyGoals::read(m_context.config(), m_context.currentUser);
        m_goals = goals.inReportOrder();
        m_goalRows = !goals.isEmpty();
    }
    if (!options.totalsOnly)
        m_rows.reserve(dietRows.recordCount() * 2 + dietRows.recordCount() / 2 + 16);

    const Options& o = options;
    Sums mealTotals{}, dayTotals{}, reportTotals{};
    QDate lastDate = kNoDay;
    QString lastMeal = kNoMeal;
    QString lastDateText;
    QDate rowDate;
    QString lastDay; // lastDate as the report writes it

    auto mealSubtotal = [&] {
        add(Kind::MealSubtotal,
            QStringLiteral("  ") + lastDay + QStringLiteral(" - ") + mealLabel(lastMeal) +
                QStringLiteral(" Totals:"),
            mealTotals);
        if (o.showPercentages)
            addPercentages(mealTotals);
    };
    // The day's total with its shares and snapshots.
    auto dayTotal = [&] {
        add(Kind::DayTotal, o.totalsOnly ? lastDay : lastDay + QStringLiteral(" Totals:"), dayTotals);
        if (o.showPercentages)
            addPercentages(dayTotals);
        addGoalShares(QStringLiteral("     Share of Daily Goals:"), dayTotals);
        if (o.showSnapshot)
            addSnapshotRows(lastDate);
    };

    for (dietRows.moveFirst(); !dietRows.eof(); dietRows.moveNext()) {
        // Days repeat row after row: each day's text is read into a date once.
        // A text that is no day makes one as the diet tree shows it.
        const QString dateText = dietRows.text(kDietDate);
        if (dateText != lastDateText) {
            rowDate = storedDay(dateText);
            lastDateText = dateText;
        }
        const QDate d = rowDate;
        const QString m = dietRows.text(kMealName); // "" for none

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
                addMealHeader(lastDay, m);
                addBlank();
            }
            lastMeal = m;
        }

        if (d != lastDate) {
            if (lastDate != kNoDay) {
                if (!o.totalsOnly)
                    addBlank();
                dayTotal();
                if (!o.totalsOnly) {
                    addBlank();
                    addBlank();
                }
            }
            ++m_dayCount;
            dayTotals = {};
            lastDay = ReportFormat::day(d);
            if (!o.totalsOnly) {
                add(Kind::DayHeader, lastDay);
                addBlank();
                if (o.mealBreak && !m.isEmpty()) {
                    addMealHeader(lastDay, m);
                    addBlank();
                }
            }
            lastDate = d;
        }

        Sums values;
        for (int i = 0; i < 8; ++i)
            values[i] = dietRows.number(kNutrientColumns[i]);
        if (!o.totalsOnly) {
            add(Kind::Detail, shared(dietRows.text(kFoodName)), values, dietRows.number(kNumServings));
            add(Kind::ServingSize, servingLine(dietRows.text(kServingSize)));
        }
        for (int i = 0; i < 8; ++i) {
            mealTotals[i] += values[i];
            dayTotals[i] += values[i];
            reportTotals[i] += values[i];
        }
    }
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
    addGoalShares(QStringLiteral("     Average Day's Share of Daily Goals:"), reportTotals, m_dayCount);
    if (o.showAverages) {
        Sums averages;
        for (int i = 0; i < 8; ++i)
            averages[i] = reportTotals[i] / m_dayCount;
        add(Kind::Averages, QStringLiteral("     Daily Averages:"), averages);
    }
    m_shared.clear();
    m_servingLines.clear();
    m_snapshots.clear();
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
    case Kind::GoalShares:
        return DailyGoals::shareText(row.values[nutrient], m_goals[nutrient]);
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

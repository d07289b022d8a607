#pragma once

#include "goals/dailygoals.h"
#include "report/reporttable.h"
#include "snapshot/snapshotslots.h"

#include <QDate>
#include <QHash>
#include <QMap>
#include <QStringList>
#include <QVector>
#include <array>

class AppContext;
class Recordset;

// The rows of the diet report: the entries of a date range grouped by day
// (and, on request, by meal), with bold total rows per meal, per day and for
// the whole report, and optional calorie shares, daily averages and snapshot
// rows. Built once from the rows of the report query (ordered by day, meal
// key, food name, entry) and read by the report list, the printer and the
// export.
class DietReport : public ReportTable
{
public:
    struct Options
    {
        bool mealBreak = false;       // subtotals per meal
        bool totalsOnly = false;      // one total row per day, no details
        bool showPercentages = false; // calorie shares under each total
        bool showSnapshot = false;    // each day's snapshots under its total
        bool showAverages = false;    // the daily averages at the end
        bool showGoals = false;       // the shares of the user's daily goals under each day and the grand totals
    };

    enum class Kind : quint8 {
        Blank,
        DayHeader,
        MealHeader,
        Detail,
        ServingSize,
        MealSubtotal,
        DayTotal,
        GrandTotal,
        Percentages,
        Averages,
        SnapshotHeader,
        SnapshotValues,
        GoalShares,
    };

    // Reads the column titles (with the user's labels of the two optional
    // nutrients) and the snapshot labels.
    explicit DietReport(AppContext& context);

    Options options;

    // Builds the rows from the rows of the report query (rsDietReport), for
    // the current user's snapshots. False when the query had no rows: the
    // report stays empty. A failing snapshot query ends the building (the
    // data source has then shut the program down).
    bool build(Recordset& dietRows);

    Kind kind(int row) const { return m_rows[row].kind; }
    // The number of days with entries.
    int dayCount() const { return m_dayCount; }

    int rowCount() const override { return int(m_rows.size()); }
    int columnCount() const override { return int(m_headers.size()); }
    QString headerText(int column) const override { return m_headers.value(column); }
    Qt::Alignment alignment(int column) const override;
    QString text(int row, int column) const override;
    bool isBold(int row) const override;
    QString imageKey(int row) const override;

private:
    // Sums in the order of the list's columns: calories, fat, cholesterol,
    // sodium, carbohydrate, protein, other 1, other 2.
    using Sums = std::array<double, 8>;
    struct Row
    {
        QString first;
        Sums values{};
        double servings = 0;
        Kind kind = Kind::Blank;
        int texts = -1; // snapshot rows: their eight texts in m_texts
    };

    void add(Kind kind, const QString& first, const Sums& values = {}, double servings = 0);
    void addBlank() { add(Kind::Blank, QStringLiteral(" ")); }
    void addTexts(Kind kind, const QString& first, const QStringList& texts);
    void addPercentages(const Sums& sums);
    // The shares of the goals that sums over days days make a day (no row without goals).
    void addGoalShares(const QString& first, const Sums& sums, int days = 1);
    void addMealHeader(const QString& day, const QString& mealKey);
    bool readSnapshots(const QDate& first, const QDate& last);
    void addSnapshotRows(const QDate& day);
    QString mealLabel(const QString& mealKey);
    QString shared(const QString& text);
    QString servingLine(const QString& servingSize);
    QString nutrientText(const Row& row, int nutrient) const;

    AppContext& m_context;
    QStringList m_headers;
    SnapshotSlots m_snapshotSlots;
    QVector<Row> m_rows;
    QVector<QStringList> m_texts;
    int m_dayCount = 0;
    // The current user's goals in the order of the columns, read when the
    // goal rows are asked for; without any goal there are no goal rows.
    DailyGoals::Goals m_goals{};
    bool m_goalRows = false;
    QHash<QString, QString> m_mealLabels;
    QHash<QString, QString> m_shared;
    QHash<QString, QString> m_servingLines;
    // The snapshots of the report's days by day: each one's first column and
    // its eight value texts.
    struct SnapshotRow
    {
        QString first;
        QStringList values;
    };
    QMap<QDate, QVector<SnapshotRow>> m_snapshots;
};

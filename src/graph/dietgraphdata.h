#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>

class Recordset;

// The data of the diet graph: one row per day with diet entries, in date
// order, and for each of the eight nutrients the day's sum. The horizontal axis
// counts those days ("1 ", "2 ", ...) rather than naming dates, so two days a
// week apart are neighbours. A day whose entries carry no value for a nutrient
// has a null sum; a sum that is not a number at all (a damaged entry) makes
// the day invalid, and takes no part in the scale.
class DietGraphData
{
public:
    // The nutrients in the order of the graph window's choices.
    enum Nutrient { Calories, Fat, Cholesterol, Sodium, Carbohydrates, Protein, Other1, Other2 };
    static constexpr int kNutrients = 8;

    // "Calories", "Fat", ..., "Other1", "Other2": the choices' own captions
    // (the window shows the user's labels for the last two).
    static QString caption(int nutrient);
    // The daily sum's column of the graph query: "TotCalorie", "TotFat", ...
    static QString column(int nutrient);
    // The label of the row'th day (0-based): "1 ", "2 ", ...
    static QString rowLabel(int row);

    // Reads the rows of the graph query from the first to the last. Throws
    // DataError when the rows cannot be read.
    static DietGraphData fromRecordset(Recordset& rs);
    // Rows given directly: dates in order and, per nutrient, one sum per date.
    DietGraphData(const QVector<QDate>& dates,
                  const std::array<QVector<std::optional<double>>, kNutrients>& sums);
    DietGraphData() = default;

    int rowCount() const { return int(m_dates.size()); }
    bool isEmpty() const { return m_dates.isEmpty(); }
    QStringList labels() const;
    QDate date(int row) const { return m_dates.at(row); }
    std::optional<double> value(int nutrient, int row) const { return m_sums[nutrient].at(row); }
    const QVector<std::optional<double>>& values(int nutrient) const { return m_sums[nutrient]; }
    // Whether the day's sum of the nutrient is not a number at all.
    bool isInvalid(int nutrient, int row) const;
    // True when some day's sum of the nutrient is greater than 0: the optional
    // nutrients are offered only then.
    bool hasPositive(int nutrient) const;
    // The smallest and largest valid sum of a nutrient (0 and 0 without any).
    double lowest(int nutrient) const;
    double highest(int nutrient) const;

    // The text shown over a day's bar or point: its number and date, then the
    // nutrient (under the given caption) and its sum.
    QString tip(int nutrient, int row, const QString& nutrientCaption) const;
    // What the chart shows, for a screen reader: "Bar graph of each day's
    // Calories: 2 days with diet entries, from 2003/05/14 to 2003/05/15".
    QString description(const QString& nutrientCaption, bool line) const;

    // The value axis for sums from lo to hi: round bounds that take them in and
    // the number of ticks (bounds included), steps of 1, 2, 2.5 or 5 times a
    // power of ten, about five of them.
    struct Scale
    {
        double min;
        double max;
        int ticks;
        bool operator==(const Scale&) const = default;
    };
    static Scale valueScale(double lo, double hi);

    // "Diet Activity Graph of " + caption + " for " + range.
    static QString title(const QString& nutrientCaption, const QString& range);

private:
    QVector<QDate> m_dates;
    std::array<QVector<std::optional<double>>, kNutrients> m_sums;
};

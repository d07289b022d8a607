#pragma once

#include "diet/dietclipboard.h"
#include "food/namesearch.h"
#include "food/nutrients.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVector>
#include <optional>

class AppContext;
class Recordset;

// One entry of the log as the diet tree shows it.
struct DietLogEntry
{
    qint32 dietId = 0;
    QDate date;      // QDate() when the stored date is not a date
    QString mealKey; // "" for an entry without a meal
    QString foodName;
};

// A serving of a food: its description, USDA measure number (0 for none) and
// weight in grams (0 when it has none).
struct Serving
{
    QString description;
    qint32 measureNo = 0;
    double grams = 0;
};

// What an entry takes from the food it logs (a row of rsFoods).
struct LoggedFood
{
    QString name;
    QString groupName;
    qint32 ndbNo = 0;
    Serving serving;     // the food's own serving
    Nutrients nutrients; // of one serving

    static LoggedFood fromRecord(const Recordset& foods, const QString& groupName);
};

// Everything of an entry that the servings dialog shows and changes.
struct DietEntryDetails
{
    DietLogEntry entry;
    double servings = 0;
    Serving serving;
    qint32 ndbNo = 0;
    Nutrients nutrients;
};

// The current user's diet log and every change made to it: adding food,
// editing, moving, copying, pasting and deleting entries, the list of days
// and the entries of a day, and the totals. All of it goes through the data
// source; rsDietData stays on the entry last read or changed.
//
// A failure is reported with the message the user knows for the operation
// ("Unable to update Diet Data." and so on); the operation then answers false
// or nothing and leaves the log as it was. Query failures are fatal as
// everywhere.
class DietLog
{
public:
    explicit DietLog(AppContext& context);

    // Reopens rsDietData for the current user.
    bool reopen();

    // The days of the log in order; entries whose date is not a date make one
    // day, QDate(), which comes first.
    std::optional<QVector<QDate>> days();
    // The entries of one day (QDate(): those whose date is not a date) by
    // food name and id.
    std::optional<QList<DietLogEntry>> dayEntries(const QDate& date);
    // The day of a stored DietDate: QDate() unless it is a real day "YYYY-MM-DD".
    static QDate dayOf(const QVariant& stored);

    // Puts rsDietData on the entry; false when the log has no such entry.
    bool selectDietRecord(qint32 dietId);
    // The entry rsDietData stands on (throws DataError when none).
    DietLogEntry current() const;
    std::optional<DietEntryDetails> details(qint32 dietId);
    bool isEmpty() const;

    // Logs servings of a food: the entry's nutrients are the food's x servings
    // x (the serving's grams / the food's), exactly, and its gram weight the
    // serving's. Answers the new entry's id, which rsDietData then stands on.
    std::optional<qint32> addEntry(const LoggedFood& food, double servings, const QDate& date,
                                   const Serving& serving, const QString& mealKey);
    // Rescales the food row the caller has put in edit mode to a new serving
    // that becomes its own; the caller stores the row.
    static void markPreferredServing(Recordset& foods, const Serving& serving);

    // Edits an entry: new servings, day and meal, and a serving chosen from the
    // food's measures (nothing when it has none: the serving stays). The
    // nutrients are rescaled from the present ones. An entry that cannot be
    // rescaled (0 servings, no weight to scale a measure by, values beyond any
    // number) stays as it is.
    bool editEntry(qint32 dietId, double servings, const QDate& date, const std::optional<Serving>& measure,
                   const QString& mealKey);

    // Moves entries to a day and meal, all of them or (on a failure) none.
    bool moveEntries(const QList<qint32>& dietIds, const QDate& date, const QString& mealKey);

    // Deletes one entry; rsDietData then stands on the first entry, if any.
    bool removeEntry(qint32 dietId);
    // Deletes a day's entries, or those of one meal of it; rsDietData is opened afresh.
    bool removeDay(const QDate& date, const QString& mealKey = QString());

    // The clipboard records of entries, in the order given; nothing (and no
    // message: the caller knows what failed) when one of them is not in the log.
    std::optional<DietClipboard> copyEntries(const QList<qint32>& dietIds);
    // Appends a copy of every record to a day and meal, all of them or (on a
    // failure) none; answers the new ids.
    std::optional<QList<qint32>> paste(const DietClipboard& clipboard, const QDate& date,
                                       const QString& mealKey);

    // Find over the entries' food names; on a match rsDietData stands on it.
    NameSearch find(const QString& text, bool continuing);

    // The sums of a day, or of one meal of it (a stored value beyond any
    // number makes its sum so too).
    std::optional<Nutrients> totals(const QDate& date, const QString& mealKey = QString());

private:
    Recordset& diet() const;

    AppContext& m_context;
};

#pragma once

#include "food/nutrients.h"

#include <QString>
#include <array>
#include <optional>

class AppContext;
class ConfigStore;

// One user's daily goals for the eight nutrients (in nutrient order: Fat,
// Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2).
//
// They are kept in CONFIG, one item per user and nutrient: "GOAL" + the
// user's number + the nutrient's column in capitals (GOAL1FAT, GOAL1CALORIE,
// ..., GOAL4OTHER2), the value in its shortest plain form ("1800", "2.5").
// A missing or blank item is no goal, and so is a value no one could have
// typed (a damaged file's): a database without the items behaves as one
// without goals. A goal of 0 is kept as typed but, like no goal, shows no share.
class DailyGoals
{
public:
    using Goals = std::array<std::optional<double>, kNutrientCount>;

    // Every goal keeps at most this many decimals, and fewer than ten
    // million before the point, as the nutrient boxes show values.
    static constexpr int kDecimals = 3;

    // "GOAL1FAT" for ("USER1", 0).
    static QString itemKey(const QString& userKey, int nutrient);
    // "Fat", "Protein", "Carbohydrates", "Calories", "Sodium", "Cholesterol",
    // and for the optional nutrients the labels given.
    static QString caption(int nutrient, const QString& other1, const QString& other2);
    // The unit a goal of the nutrient is set in: "g", "kcal", "mg"; "" for the optional ones.
    static QString unit(int nutrient);

    DailyGoals() = default;
    explicit DailyGoals(const Goals& goals) : m_goals(goals) {}

    // The goals of a user ("USER1" ... "USER4") as stored.
    static DailyGoals read(ConfigStore& config, const QString& userKey);
    // The US Daily Values for a 2,000 kcal diet for the six fixed nutrients
    // (fat 78 g, carbohydrate 275 g, protein 50 g, sodium 2,300 mg,
    // cholesterol 300 mg, 2,000 kcal); none for the optional two.
    static DailyGoals referenceValues();

    std::optional<double> goal(int nutrient) const { return m_goals[nutrient]; }
    Goals goals() const { return m_goals; }
    // No nutrient has a goal above 0: there is no share to show.
    bool isEmpty() const;
    // The goals in the order of the report's columns and the graph's
    // choices: Calories, Fat, Cholesterol, Sodium, Carbohydrate, Protein, Other1, Other2.
    Goals inReportOrder() const;

    // Checking a goal as typed: blank is no goal; a number must be neither
    // negative nor one the boxes cannot show in full.
    enum class Refusal { None, NotANumber, Negative, CannotShow };
    static Refusal check(const QString& text);
    // What the user is told about a refused goal of the named nutrient and user.
    static QString refusalMessage(Refusal refusal, const QString& text, const QString& nutrient,
                                  const QString& user);
    // The goal a text that passed check() gives (none for blank), as stored.
    static std::optional<double> parse(const QString& text);
    // The text a goal is stored and shown as: "" for none, else the shortest plain form.
    static QString text(std::optional<double> goal);

    // Stores the goals given as texts that passed check(), for one user: an
    // item whose text does not change is not written, and a missing item is
    // added only for a goal. A failed write is reported and the rest go on.
    // Gives the texts as stored.
    static std::array<QString, kNutrientCount> write(AppContext& context, const QString& userKey,
                                                     const std::array<QString, kNutrientCount>& texts);

    // The share of a goal that total makes, "0.0%" rounded as the totals are
    // (an exact half to the even neighbour): 1500 of 1800 is "83.3%". ""
    // without a goal above 0; "invalid" for a total that is no number.
    static QString shareText(double total, std::optional<double> goal);
    // What the totals window shows beside a total: "of 1800 (83.3%)", or ""
    // without a goal above 0.
    static QString note(double total, std::optional<double> goal);

private:
    Goals m_goals{};
};

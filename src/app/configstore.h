#pragma once

#include <QString>
#include <QStringList>

class AppContext;

// The configuration items of the CONFIG table (user names and the current
// user, meal labels, snapshot labels, optional nutrient labels, switches and the
// database version), read and written through the data source's rsConfig.
// Look-ups match keys and values without regard to case.
class ConfigStore
{
public:
    explicit ConfigStore(AppContext& context);

    // The item's value, "" when there is no such item.
    QString getConfig(const QString& item);
    // Whether there is an item of that key (a blank one too).
    bool hasConfig(const QString& item);
    // Stores the first 79 characters of value and the flag in an existing item;
    // a missing item is left alone. A failed write is reported, and the program goes on.
    void setConfig(const QString& item, const QString& value, bool selected);
    // Appends an item (value not shortened, no check for an existing key).
    // Throws DataError when the row cannot be stored.
    void addConfig(const QString& item, const QString& value, bool selected);
    // The key of the first meal item (MEAL0..MEAL9) whose value is value
    // trimmed of blanks; "" when none.
    QString findConfigItem(const QString& value);
    // "" for a blank item key, else getConfig(item).
    QString getConfigIfNamed(const QString& item);
    // The key of the current user: the last USER item marked as selected, or
    // "USER1" when none is.
    QString findCurrentUser();

    // The entries of a meal drop-down: "Select a Meal", then every meal label
    // that is not blank, in meal order; selected is the position of the last
    // label equal to selectedLabel, or 0.
    struct MealChoices
    {
        QStringList entries;
        int selected = 0;
    };
    MealChoices mealChoices(const QString& selectedLabel);

    static constexpr int kValueLength = 79;

    // text without its leading and trailing blanks (other white space stays).
    static QString trimSpaces(const QString& text);
    // The first n characters of text, never ending in half of a character
    // that takes two UTF-16 units.
    static QString leftChars(const QString& text, qsizetype n);
    // The first kValueLength characters of value, as leftChars cuts them.
    static QString storedValue(const QString& value) { return leftChars(value, kValueLength); }

private:
    bool moveToItem(const QString& column, const QString& value);

    AppContext& m_context;
};

#include "app/configstore.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"

#include <QtDebug>

namespace {
const QString kItem = QStringLiteral("ConfigItem");
const QString kValue = QStringLiteral("ConfigValue");
const QString kSelected = QStringLiteral("SelectedConfig");
} // namespace

ConfigStore::ConfigStore(AppContext& context) : m_context(context) {}

QString ConfigStore::trimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString ConfigStore::leftChars(const QString& text, qsizetype n)
{
    if (text.size() <= n)
        return text;
    const bool splitsPair = n > 0 && text.at(n - 1).isHighSurrogate();
    return text.left(splitsPair ? n - 1 : n);
}

bool ConfigStore::moveToItem(const QString& column, const QString& value)
{
    Recordset& rs = m_context.dataSource().rsConfig;
    rs.moveFirst();
    return rs.findFirst(Criteria::equals(column, value));
}

QString ConfigStore::getConfig(const QString& item)
{
    try {
        if (moveToItem(kItem, item))
            return m_context.dataSource().rsConfig.text(kValue);
    } catch (const DataError& error) {
        qWarning() << "getConfig" << item << error.what();
    }
    return QString();
}

bool ConfigStore::hasConfig(const QString& item)
{
    try {
        return moveToItem(kItem, item);
    } catch (const DataError& error) {
        qWarning() << "hasConfig" << item << error.what();
    }
    return false;
}

void ConfigStore::setConfig(const QString& item, const QString& value, bool selected)
{
    Recordset& rs = m_context.dataSource().rsConfig;
    try {
        if (!moveToItem(kItem, item))
            return;
        rs.edit();
        rs.setValue(kValue, storedValue(value));
        rs.setValue(kSelected, selected);
        rs.update();
    } catch (const DataError& error) {
        qWarning() << "setConfig" << item << error.what();
        rs.cancelUpdate();
        m_context.reportError(QStringLiteral("Unable to update the Configuration Data.  "), error);
    }
}

void ConfigStore::addConfig(const QString& item, const QString& value, bool selected)
{
    Recordset& rs = m_context.dataSource().rsConfig;
    try {
        rs.addNew();
        rs.setValue(kItem, item);
        rs.setValue(kValue, value);
        rs.setValue(kSelected, selected);
        rs.update();
    } catch (const DataError&) {
        rs.cancelUpdate();
        throw;
    }
}

QString ConfigStore::findConfigItem(const QString& value)
{
    // Only the meal items are searched: the look-up turns a chosen meal label
    // back into its key, and a label that happens to equal a user's name or
    // another item's value must still log to the meal, never under that key.
    // Of two meals with the same label, the first wins.
    Recordset& rs = m_context.dataSource().rsConfig;
    const Criteria criteria = Criteria::equals(kValue, trimSpaces(value));
    try {
        rs.moveFirst();
        for (bool found = rs.findFirst(criteria); found; found = rs.findNext(criteria)) {
            const QString item = rs.text(kItem);
            if (item.startsWith(QLatin1String("MEAL"), Qt::CaseInsensitive))
                return item;
        }
    } catch (const DataError& error) {
        qWarning() << "findConfigItem" << value << error.what();
    }
    return QString();
}

QString ConfigStore::getConfigIfNamed(const QString& item)
{
    return trimSpaces(item).isEmpty() ? QString() : getConfig(item);
}

QString ConfigStore::findCurrentUser()
{
    QString user = QStringLiteral("USER1");
    Recordset& rs = m_context.dataSource().rsConfig;
    try {
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            const QString item = rs.text(kItem);
            if (item.left(4) == QLatin1String("USER") && rs.flag(kSelected))
                user = item;
        }
    } catch (const DataError& error) {
        qWarning() << "findCurrentUser" << error.what();
    }
    return user;
}

ConfigStore::MealChoices ConfigStore::mealChoices(const QString& selectedLabel)
{
    MealChoices choices;
    choices.entries << QStringLiteral("Select a Meal");
    for (int i = 0; i <= 9; ++i) {
        const QString label = getConfig(QStringLiteral("MEAL%1").arg(i));
        if (trimSpaces(label).isEmpty())
            continue;
        choices.entries << label;
        if (!selectedLabel.isEmpty() && label == selectedLabel)
            choices.selected = choices.entries.size() - 1;
    }
    return choices;
}

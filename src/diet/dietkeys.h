#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>


// The node vocabulary of the diet tree and the meal keys of diet rows.
namespace DietKeys {

inline const QString kDay = QStringLiteral("DIETDAY");
inline const QString kMeal = QStringLiteral("DIETMEAL");
inline const QString kEntry = QStringLiteral("DIETITEM");

// "DT20030514" for 14 May 2003.
QString dayKey(const QDate& date);
// "2003-05-14": the caption of a day node, which sorts in date order.
QString dayText(const QDate& date);
// "MLMEAL2DT20030514": the meal MEAL2 of 14 May 2003.
QString mealNodeKey(const QString& mealKey, const QDate& date);
// The meal key of a meal node: the five characters after "ML".
QString mealKeyOf(const QString& mealNodeKey);
// "D117" for DietId 117, and back.
QString entryKey(qint32 dietId);
qint32 dietIdOf(const QString& entryKey);

// A date as the confirmation questions write it: "05/14/2003".
QString questionDate(const QDate& date);

} // namespace DietKeys

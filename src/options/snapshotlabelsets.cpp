#include "options/snapshotlabelsets.h"

const std::array<SnapshotLabelSet, 5>& snapshotLabelSets()
{
    static const std::array<SnapshotLabelSet, 5> sets = {{
        {QStringLiteral("Body Building"),
         {QStringLiteral("Weight"), QStringLiteral("Waist"), QStringLiteral("Chest"),
          QStringLiteral("Biceps"), QStringLiteral("Shoulders"), QString(), QString(), QString()}},
        {QStringLiteral("Cardiology"),
         {QStringLiteral("Weight"), QStringLiteral("Cholesterol"), QStringLiteral("Pulse"), QString(),
          QString(), QString(), QStringLiteral("Blood Pressure"), QString()}},
        {QStringLiteral("Diabetic"),
         {QStringLiteral("Weight"), QStringLiteral("Blood Glucose"), QString(), QString(), QString(),
          QString(), QStringLiteral("Blood Pressure"), QString()}},
        {QStringLiteral("Renal"),
         {QStringLiteral("Weight"), QStringLiteral("Creatine"), QString(), QString(), QString(), QString(),
          QStringLiteral("Blood Pressure"), QString()}},
        {QStringLiteral("Weight Loss"),
         {QStringLiteral("Weight"), QStringLiteral("Waist"), QStringLiteral("Chest"),
          QStringLiteral("Thighs"), QString(), QString(), QString(), QString()}},
    }};
    return sets;
}

#include "diet/purgerange.h"

const QString PurgeRange::kReversedMessage =
    QStringLiteral("The First Date must be less than or equal to the Second Date.");

QString PurgeRange::confirmation(const QString& purgeType) const
{
    const QString format = QStringLiteral("MM/dd/yyyy");
    return QStringLiteral("Are you sure you want to Delete all %1 Activity Data from %2 to %3?")
        .arg(purgeType, first.toString(format), last.toString(format));
}

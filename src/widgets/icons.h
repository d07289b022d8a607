#pragma once

#include <QIcon>
#include <QString>

// The pictures of the two image lists, found by image key: the small tree
// icons ("closed", "open", "GroupClosed", "FoodItem", "DayOpen", ...) and the
// toolbar icons ("Person", "Report", "Cut", ...).
namespace Icons {
QIcon tree(const QString& key);
QIcon toolbar(const QString& key);
} // namespace Icons

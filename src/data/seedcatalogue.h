#pragma once

#include <QSqlDatabase>
#include <QString>

// The catalogue a new database starts with: the USDA food groups, foods and
// serving measures from the data files made by tools/convert_usda.py, a
// "Favorites" root with a few everyday foods, and a "My Foods" root for the
// user's own groups.
namespace SeedCatalogue {

// Writes the catalogue rows into the empty tables of db; throws DataError.
void load(const QSqlDatabase& db, const QString& dataDir);

// Makes a complete new database file at path: tables, catalogue, meals, key
// sequences and configuration. An existing file at path is replaced. Throws DataError.
void createDatabase(const QString& path, const QString& dataDir, const QString& version);

} // namespace SeedCatalogue

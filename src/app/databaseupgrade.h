#pragma once

#include <QString>

class AppContext;

// The version check of the start-up and the upgrade of a database made by an
// older release. Versions compare as text, character by character.

// True when the stored "VERSION" is exactly the application version, or after
// a successful upgrade; false when the program must end.
bool checkDatabaseVersion(AppContext& context);

// Brings a database of version fromVersion ("0" for one without the item) up
// to the application version. Before 2.0.0 (as text) this is the full upgrade,
// asked for first and written all together or not at all; before 2.1.0 the
// "SHOWTIPS" switch is added; after that only the version is rewritten. An
// automatic backup of the database comes before any of it. False when the
// user declines, the backup fails or the upgrade fails: the program must end.
bool upgradeDatabase(AppContext& context, const QString& fromVersion);

// a < b comparing the texts character by character.
bool versionTextLess(const QString& a, const QString& b);

// Whether a database whose "VERSION" item holds stored gets the full upgrade
// (blank counts as "0"; the application version needs none).
bool needsFullUpgrade(const QString& stored);

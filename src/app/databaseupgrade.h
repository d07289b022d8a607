#pragma once

#include <QString>

class AppContext;

// The version check of the start-up and the upgrade of a database made by an
// older release. Versions compare as text, character by character.

// True when the stored "VERSION" is exactly the application version, or after
// a successful upgrade; false when the program must end. A database made by a
// newer release is refused (its "VERSION" would otherwise be rewritten as this
// release's), and left as it is.
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

// Whether stored names a release newer than this one, compared as numbers
// (3.1.0 and 10.0.0 are newer than 3.0.0); text that is no version is not.
bool isNewerVersion(const QString& stored);

// The question the full upgrade asks first (Yes and No, "Upgrade Notification").
QString upgradeQuestion(const AppContext& context);
extern const QString kUpgradeTitle;

// Brings the database open in copy (a copy that a restore is to put in place,
// whose user has agreed to its upgrade already) up to the application
// version, as upgradeDatabase would, all of it in one transaction, without a
// box and without a backup (the file it was copied from stays as it is).
// Throws DataError; the copy is then to be thrown away.
void upgradeCopy(AppContext& copy);

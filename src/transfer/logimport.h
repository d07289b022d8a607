#pragma once

#include "transfer/logreader.h"

#include <QMap>
#include <QString>
#include <QStringList>

class AppContext;

// The import of an export of the whole log (LogFormat) into the database in
// use. The file is read through once for a preview (what it holds, what is
// here already), then, after an automatic backup, once more to add what is
// new, all in one transaction: any bad record, a user or meal this database
// does not have, or a failure on the way changes nothing at all.
//
// What counts as here already: a diet entry or snapshot with the same values
// in every stored column (as many times as the database has it: two equal
// entries in the file and one here add one), a food of the user's own with
// the same values (one in the same group first). Groups are matched by
// their name and their top-level group's; the file's groups are made where
// missing (below their top-level group, when it is here), and a food goes to
// its group, or to the group "Imported" when that is neither here nor made. Names and labels (users, meals, snapshot values, the
// two optional nutrients) come along where this database has none (blank),
// and all of them when it holds no log yet. New rows are numbered from
// TableKey.
class LogImport
{
public:
    LogImport(AppContext& context, const QString& path);

    // Counts by user key, as the file writes it.
    struct UserCounts
    {
        int entries = 0;
        int entriesHere = 0;
        int snapshots = 0;
        int snapshotsHere = 0;
    };
    struct Summary
    {
        LogReader::Header header;
        QMap<QString, UserCounts> users;
        int foods = 0;
        int foodsHere = 0;
        int foodsToImported = 0; // new foods whose own group can not be placed
        bool makesImported = false; // the group "Imported" is made for them
        int groups = 0;
        int groupsHere = 0;
        int groupsUnplaced = 0; // not made: their top-level group is not here
        QString firstDay; // of the entries and snapshots, "" when there are none
        QString lastDay;
        // Names and labels the import changes: item, value here, value in the file.
        QList<QStringList> relabels;

        int newEntries() const;
        int newSnapshots() const;
        int newFoods() const { return foods - foodsHere; }
        int newGroups() const { return groups - groupsHere - groupsUnplaced; }
        bool nothingNew() const;
    };

    // Reads the file through without changing anything. False when the file
    // is refused (refusal() says why) or the database failed (already
    // reported, refusal() empty).
    bool preview();
    // Backs up the database ("before-import"), then adds what is new in one
    // transaction. False as for preview(), or when the backup failed (already
    // reported); the database is then as it was.
    bool run();

    const Summary& summary() const { return m_summary; }
    QString refusal() const { return m_refusal; }
    // What the file holds and what an import adds, for the user to confirm.
    QString previewText() const;
    // What run() did, and where the database as it was is kept.
    QString doneText() const;

private:
    // Reads the file through; adds what is new when write is set, numbering
    // it from blocks of keys as large as planned says (a preview's counts).
    bool process(bool write, const Summary& planned);

    AppContext& m_context;
    QString m_path;
    Summary m_summary;
    QString m_refusal;
    QString m_backup; // the automatic backup made before the import
};

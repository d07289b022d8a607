#include "databasefiles.h"
#include "diet/diettree.h"
#include "diet/diettreemodel.h"
#include "uitestsupport.h"

#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLocale>

#include <unistd.h>

using DatabaseFiles::Ending;

// File > Back Up Database... and Restore Database... in the main window: the
// files a restore refuses, and the way back from a purge made by mistake.
class RestoreTest : public MainWindowTest
{
    Q_OBJECT

    QTemporaryDir elsewhere; // a folder of the user's, outside the program's

    QString data() { return f->test.folder.path() + "/Data"; }
    QStringList days()
    {
        QStringList captions;
        const DietTreeModel& model = w().dietTree().model();
        for (int i = 0; i < model.rowCount(); ++i)
            captions << DietTreeModel::caption(model.index(i, 0));
        return captions;
    }
    // Runs command and picks path in the file dialog it opens; returns where the dialog started.
    QString chooseIn(const std::function<void()>& command, const QString& path, QString* offered = nullptr)
    {
        QString startedIn;
        onDialog<QFileDialog>(command, [&](QFileDialog& dialog) {
            startedIn = dialog.directory().absolutePath();
            if (offered)
                *offered = QFileInfo(dialog.selectedFiles().value(0)).fileName();
            dialog.selectFile(path);
            QMetaObject::invokeMethod(&dialog, "accept");
        });
        return startedIn;
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void refusedFilesChangeNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString notOurs = "it is not a Corvane's Foodlark Database";
        QTest::newRow("not a database") << "text" << notOurs;
        QTest::newRow("cut short") << "half" << "it is incomplete; it has been cut short";
        QTest::newRow("another program's") << "foreign" << notOurs + " (it lacks CONFIG, TableKey";
        QTest::newRow("newer") << "newer" << "it was made by a newer version of Corvane's Foodlark (3.1.0)";
        QTest::newRow("damaged") << "damaged" << "it is damaged (the database engine's check found";
        QTest::newRow("not closed") << "log" << "it is in use, or was not closed properly (its log '";
        QTest::newRow("the database in use") << "live" << "it is the database in use";
        // Under any name: the log of the database in use is not in a link's file.
        QTest::newRow("a symbolic link to the database in use") << "symlink"
                                                                << "it is the database in use";
        QTest::newRow("a hard link to the database in use") << "hardlink"
                                                            << "it is the database in use";
        // What the start-up would refuse, refused before anything is replaced.
        QTest::newRow("a damaged key table")
            << "key"
            << "its key table, which numbers new rows, is damaged (DIETACTIVITY)";
        QTest::newRow("no version, but the upgrade's table")
            << "snapshot"
            << "it can not be upgraded to this version of Corvane's Foodlark: it has the SnapShot table "
               "that the upgrade adds already";
        QTest::newRow("a folder") << "folder" << "it is a folder";
    }
    void refusedFilesChangeNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        start();
        // A file of the user's: a copy of the fixture's database, changed.
        const QString path = kind == "live" ? f->test.folder.dbPath() : elsewhere.filePath(kind + ".mdb");
        if (QStringList{"text", "half", "newer", "damaged", "key", "snapshot"}.contains(kind))
            Fixture::writeDatabase(path);
        const QByteArray whole = fileBytes(path);
        QFile file(path);
        if (kind == "text" || kind == "half")
            QVERIFY(file.open(QIODevice::WriteOnly) &&
                    file.write(kind == "text" ? QByteArray("Monday: porridge\n") : whole.left(whole.size() / 2)) > 0);
        else if (kind == "foreign") // another program's, of no tables of ours
            fileRows(path, "CREATE TABLE Notes (Text TEXT)");
        else if (kind == "newer")
            fileRows(path, "UPDATE CONFIG SET ConfigValue = '3.1.0' WHERE ConfigItem = 'VERSION'");
        else if (kind == "damaged")
            QVERIFY(DatabaseFiles::damagePage(path, "FoodItem") > 0);
        else if (kind == "key")
            fileRows(path, "UPDATE TableKey SET KeyValue = 'x' WHERE KeyName = 'DIETACTIVITY'");
        else if (kind == "snapshot")
            fileRows(path, "DELETE FROM CONFIG WHERE ConfigItem = 'VERSION'");
        else if (kind == "symlink")
            QVERIFY(QFile::link(f->test.folder.dbPath(), path));
        else if (kind == "hardlink")
            QVERIFY(::link(QFile::encodeName(f->test.folder.dbPath()).constData(),
                           QFile::encodeName(path).constData()) == 0);
        else if (kind == "log") { // the files of another program folder whose run was cut off
            FixtureFolder other;
            QVERIFY(DatabaseFiles::runSession(other.path(), 2, Ending::Crash));
            QVERIFY(QFile::copy(other.dbPath(), path) && QFile::copy(other.dbPath() + "-wal", path + "-wal"));
        } else if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        file.close();
        const auto before = DatabaseFiles::contents(data());
        const int roots = w().tvwFood->topLevelItemCount();
        w().restoreFrom(path);
        const Prompt box = f->prompts().last();
        QVERIFY2(f->prompts().count() == 1 && box.icon == PromptIcon::Exclamation &&
                     box.text.startsWith("The file '" + path + "' can not be restored: " + reason) &&
                     box.text.endsWith("The database in use has not been changed."),
                 qPrintable(box.text));
        QCOMPARE(DatabaseFiles::contents(data()), before);
        QVERIFY(f->ctx().dataSource().isConnected());
        QCOMPARE(w().tvwFood->topLevelItemCount(), roots);
    }

    // Done as a user would: log a week, back up, purge the week by mistake,
    // restore the backup and find every entry back.
    void aWeekPurgedByMistakeComesBack()
    {
        const QDate monday(2026, 11, 30);
        for (int i = 0; i < 21; ++i) // three meals a day
            f->test.addDietRow("USER1", monday.addDays(i / 3), QString("MEAL%1").arg(i % 3), QString("Food %1").arg(i));
        f->test.addDietRow("USER2", monday, "MEAL0", "Someone else's");
        start();
        const QStringList week = days();
        QCOMPARE(week.size(), 7);

        // File > Back Up Database...: the dialog offers today's name in Data/Backups.
        const QString backup = elsewhere.filePath("week.mdb");
        QString offered;
        QCOMPARE(chooseIn([&] { w().mnuFileBackUp->trigger(); }, backup, &offered), f->ctx().backupFolder());
        QCOMPARE(offered, "MeboData-" + QDate::currentDate().toString(Qt::ISODate) + ".mdb");
        QCOMPARE(f->prompts().texts(),
                 QStringList{"The Corvane's Foodlark Database has been backed up to '" + backup + "'."});

        // The week purged by mistake (the purge itself is tested with the purge).
        f->test.exec("DELETE FROM DietActivity WHERE UserName = 'USER1'");
        w().dietTree().reload();
        QCOMPARE(days(), QStringList());

        // File > Restore Database...: the dialog starts in Data/Backups; one question, naming the file.
        f->prompts().clear();
        f->prompts().queueYes();
        const QString made =
            QLocale(QLocale::English).toString(QFileInfo(backup).lastModified(), "MM/dd/yyyy h:mm AP");
        QCOMPARE(chooseIn([&] { w().mnuFileRestore->trigger(); }, backup), f->ctx().backupFolder());
        const QStringList backups =
            QDir(f->ctx().backupFolder()).entryList(QDir::Files, QDir::Time | QDir::Reversed);
        QVERIFY(backups.size() == 1 && backups[0].endsWith("-before-restore.mdb"));
        QCOMPARE(f->prompts().texts(),
                 (QStringList{
                     "Restore the database from the file 'week.mdb'?\n\nThe file was made on " + made +
                         " and holds 7 foods, 22 diet entries and 0 snapshots.\n\nThe database in use now "
                         "is backed up first, then replaced by this file.",
                     "The database has been restored from '" + backup +
                         "'.  The database that was in use before is kept as '" + f->ctx().backupFolder() +
                         "/" + backups[0] + "'."}));
        QCOMPARE(f->prompts().shown().first().title, QString("Restore Database"));
        // Every entry is back, in the tree and in the file; the purged state is kept.
        QCOMPARE(days() << w().statusPanel2->text(), QStringList(week) << "User:  User 1");
        QCOMPARE(f->test.scalar("SELECT count(*) FROM DietActivity").toInt(), 22);
        QCOMPARE(DatabaseFiles::dietEntries(f->ctx().backupFolder() + "/" + backups[0]), 1);
        QCOMPARE(f->test.shutDowns, 0);
    }

    // An older file is upgraded before it takes the database's place, once
    // asked; No to the upgrade replaces nothing.
    void anOlderBackupGetsTheUpgradeQuestion()
    {
        f->test.addDietRow("USER1", QDate(2026, 11, 1), "MEAL0", "Toast");
        start();
        const QString older = elsewhere.filePath("old.mdb");
        Fixture::writeDatabase(older, Fixture::Content::NoSnapShot);
        const QByteArray source = fileBytes(older);
        f->prompts().queueYes();
        f->prompts().queueNo();
        w().restoreFrom(older);
        QCOMPARE(f->prompts().texts().mid(2),
                 QStringList{"Nothing has been restored.  The database in use has not been changed."});
        QCOMPARE(f->prompts().shown()[1].title, QString("Upgrade Notification"));
        QCOMPARE(days(), QStringList{"2026-11-01"});
        QCOMPARE(QDir(f->ctx().backupFolder()).entryList(QDir::Files), QStringList());
        f->prompts().clear();
        f->prompts().queueYes();
        f->prompts().queueYes();
        w().restoreFrom(older);
        QCOMPARE(f->prompts().count(), 3); // the restore, the upgrade, where the database before is kept
        QVERIFY(f->prompts().shown()[0].text.contains("holds 7 foods, 0 diet entries and 0 snapshots"));
        QVERIFY(f->prompts().last().text.startsWith("The database has been restored from '" + older + "'."));
        QCOMPARE(f->test.scalar("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = 'VERSION'"), "3.0.0");
        QCOMPARE(f->test.scalar("SELECT count(*) FROM SNAPSHOT"), 0);
        QCOMPARE(days(), QStringList());
        QCOMPARE(fileBytes(older), source); // the chosen file itself is as it was
        QCOMPARE(f->test.shutDowns, 0);
    }
};

QTEST_MAIN(RestoreTest)
#include "tst_restore.moc"

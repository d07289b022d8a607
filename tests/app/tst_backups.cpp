#include "app/backups.h"
#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/databasefile.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "databasefiles.h"
#include "fixture.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using DatabaseFiles::Ending;

// A restore as the program runs it, and the ways back to a sound database
// that the program offers when the one in use turns out damaged: at the
// start, and when the check after the start finds the damage.
class BackupsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<FixtureFolder> folder;
    QTemporaryDir elsewhere;
    QString five; // a database of five diet entries, of the user's

    QString backups() const { return folder->path() + "/Data/Backups"; }
    static int entries(ProgramRun& run)
    {
        return queryRows(run.context.dataSource().database(), "SELECT count(*) FROM DietActivity")[0][0]
            .toInt();
    }
    // The one before-restore backup in the folder.
    QString keptBackup() const
    {
        const QStringList kept = QDir(backups()).entryList({"*-before-restore.mdb"}, QDir::Files);
        return kept.size() == 1 ? backups() + "/" + kept[0] : QString("<%1 kept>").arg(kept.size());
    }
    // An automatic backup of the folder's database (three entries), and, when
    // asked, a newer one that is damaged. Returns the sound one's path.
    QString makeBackups(bool withDamagedNewer)
    {
        ProgramRun run(folder->path());
        if (!Startup::openDatabase(run.context))
            return QString();
        const QString sound =
            DatabaseBackup::writeAutomatic(run.context.dataSource().handle(), backups(), "before-purge");
        if (withDamagedNewer) {
            const QString damaged =
                DatabaseBackup::writeAutomatic(run.context.dataSource().handle(), backups(), "before-purge");
            if (DatabaseFiles::damagePage(damaged, "FoodItem") == 0)
                return QString();
        }
        return sound;
    }
    QString restoredFrom(const QString& backup) const
    {
        return "The database has been restored from '" + backup +
               "'.  The database that was in use before is kept as '" + keptBackup() + "'.";
    }
    // Starts the program over the folder, accepted as the start-up accepts it.
    static bool startIn(ProgramRun& run)
    {
        if (!Startup::openDatabase(run.context))
            return false;
        Startup::acceptDatabase(run.context);
        return true;
    }

private slots:
    void initTestCase()
    {
        FixtureFolder source;
        QVERIFY(DatabaseFiles::runSession(source.path(), 5, Ending::Clean));
        five = elsewhere.filePath("five.mdb");
        QVERIFY(QFile::copy(source.dbPath(), five));
    }
    void init()
    {
        folder = std::make_unique<FixtureFolder>();
        QVERIFY(DatabaseFiles::runSession(folder->path(), 3, Ending::Clean));
    }

    // The file stays locked by the restoring copy from the moment its content
    // is replaced: a second copy started meanwhile is kept out. When the
    // restored database then can not be read, the box says where the one
    // before it is kept, and that file is there.
    void aRestoreKeepsTheFileAndNamesTheKeptBackup()
    {
        ProgramRun run(folder->path());
        QVERIFY(startIn(run));
        run.prompts.queueYes();
        Backups::RestoreHooks hooks;
        hooks.reload = [&] {
            ProgramRun second(folder->path());
            const bool keptOut = !Startup::openDatabase(second.context) &&
                                 second.prompts.last().text.contains("you don't have another instance");
            run.context.fatalError(keptOut ? "Unable to retrieve Food Data.  " : "taken by a second copy  ");
            return false;
        };
        QCOMPARE(Backups::restore(run.context, five, hooks), Backups::Outcome::Ended);
        QCOMPARE(run.prompts.texts().mid(1),
                 QStringList{"Unable to retrieve Food Data.  " + run.context.supportMessage +
                             "The database that was in use before is kept as '" + keptBackup() + "'.  "});
        QCOMPARE(DatabaseFiles::dietEntries(keptBackup()), 3);
        QCOMPARE(run.shutDowns, 1);
    }

    // A database the start refuses as damaged or foreign: the box offers the
    // newest sound backup in its place. Yes puts it there (the refused file
    // kept among the backups as its bytes) and the program starts; No ends
    // the program, everything as it was, and the box's advice, followed by
    // hand, brings the backup back too.
    void aRefusedDatabaseIsOfferedTheNewestSoundBackup_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("yes");
        const QList<std::pair<const char*, const char*>> kinds = {
            {"cut", "is incomplete: it holds 8,192 bytes of the"},
            {"page", "is damaged: the database engine's check found"},
            {"stale", "holds changes that were made to another copy of the database"},
            {"key", "DIETACTIVITY holds 'x', which is not a whole number"}};
        for (const auto& [kind, phrase] : kinds) {
            QTest::newRow(qPrintable(QString(kind) + ", Yes")) << kind << phrase << true;
            QTest::newRow(qPrintable(QString(kind) + ", No")) << kind << phrase << false;
        }
    }
    void aRefusedDatabaseIsOfferedTheNewestSoundBackup()
    {
        QFETCH(QString, kind);
        QFETCH(QString, phrase);
        QFETCH(bool, yes);
        const QString sound = makeBackups(true);
        QVERIFY(!sound.isEmpty());
        const QString db = folder->dbPath();
        const QByteArray earlier = fileBytes(db);
        if (kind == "key")
            fileRows(db, "UPDATE TableKey SET KeyValue = 'x' WHERE KeyName = 'DIETACTIVITY'");
        else if (kind != "cut") // a run cut off, then its file damaged or an earlier copy put back
            QVERIFY((kind == "page" || DatabaseFiles::runSession(folder->path(), 2, Ending::Clean)) &&
                    DatabaseFiles::runSession(folder->path(), 2, Ending::Crash));
        if (kind == "page")
            QVERIFY(DatabaseFiles::damagePage(db, "FoodItem") > 0);
        QFile file(db);
        if (kind == "cut" || kind == "stale")
            QVERIFY(file.open(QIODevice::WriteOnly) &&
                    file.write(kind == "cut" ? earlier.left(8192) : earlier) > 0);
        file.close();
        const auto before = DatabaseFiles::contents(folder->path() + "/Data");
        ProgramRun run(folder->path());
        run.prompts.queue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        QCOMPARE(Startup::openDatabase(run.context), yes);
        const Prompt offer = run.prompts.shown().value(0);
        QVERIFY2(
            offer.icon == PromptIcon::Critical && offer.buttons == PromptButtons::YesNo &&
                offer.text.contains(phrase) &&
                offer.text.endsWith(
                    "The newest sound backup is '" + QFileInfo(sound).fileName() + "', made on " +
                    QLocale(QLocale::English)
                        .toString(DatabaseBackup::madeAt(QFileInfo(sound).fileName()), "MM/dd/yyyy h:mm AP") +
                    ".  Put it in place of the database now?  The database as it is now is "
                    "kept beside the backups."),
            qPrintable(offer.text));
        if (yes) {
            QCOMPARE(run.prompts.texts().mid(1), QStringList{restoredFrom(sound)});
            QCOMPARE(fileBytes(keptBackup()), before.value("MeboData.mdb"));
            QCOMPARE(fileBytes(keptBackup() + "-wal"),
                     before.value("MeboData.mdb-wal", "<unreadable>")); // its log, when it had one
            QCOMPARE(entries(run), 3);
            return;
        }
        QCOMPARE(run.prompts.count(), 1);
        QCOMPARE(DatabaseFiles::contents(folder->path() + "/Data"), before);
        // The advice, word for word.
        const QRegularExpressionMatch advice =
            QRegularExpression(
                "To put one in place, close Corvane's Foodlark, move '([^']+)' and '([^']+)' out of "
                "the folder if they are there, and copy the backup over '([^']+)'\\.")
                .match(offer.text);
        QVERIFY2(advice.hasMatch(), qPrintable(offer.text));
        QTemporaryDir away;
        for (int i = 1; i <= 2; ++i)
            QFile::rename(advice.captured(i), away.filePath(QFileInfo(advice.captured(i)).fileName()));
        QVERIFY(QFile::remove(advice.captured(3)) && QFile::copy(sound, advice.captured(3)));
        ProgramRun next(folder->path());
        QVERIFY(Startup::openDatabase(next.context));
        QCOMPARE(next.prompts.count(), 0);
        QCOMPARE(entries(next), 3);
    }

    // Damage the check after the start finds: the box says what is true (the
    // file was written to at the start; what came since is in its log) and
    // offers the newest sound backup; either way the program ends. Yes keeps
    // the damaged file as its bytes and its log, which the engine can not copy.
    void damageFoundAfterTheStartOffersTheBackupAndEnds_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void damageFoundAfterTheStartOffersTheBackupAndEnds()
    {
        QFETCH(bool, yes);
        const QString sound = makeBackups(false);
        QVERIFY(!sound.isEmpty());
        QVERIFY(DatabaseFiles::damagePage(folder->dbPath(), "FoodItem") > 0);
        ProgramRun run(folder->path());
        QVERIFY(Startup::openDatabase(run.context));
        OrvDataSource& ds = run.context.dataSource();
        QSignalSpy checked(&ds.integrityCheck(), &IntegrityCheck::finished);
        Startup::acceptDatabase(run.context);
        // As the start left them: the log holds the start's own writes.
        const QByteArray damaged = fileBytes(folder->dbPath()), log = fileBytes(folder->dbPath() + "-wal");
        run.prompts.queue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        QVERIFY(checked.wait(30000));
        QCOMPARE(run.shutDowns, 1);
        const QString text = run.prompts.shown().value(0).text;
        QVERIFY2(text.contains("is damaged: the database engine's check found") &&
                     text.contains(
                         "Nothing more is written to it; what was stored since Corvane's Foodlark started "
                         "is kept beside it, in '" +
                         folder->dbPath() + "-wal'.") &&
                     !text.contains("left as it is") &&
                     text.endsWith("Either way Corvane's Foodlark ends now."),
                 qPrintable(text));
        ds.closeDB();
        if (!yes) {
            QCOMPARE(run.prompts.count(), 1);
            QCOMPARE(fileBytes(folder->dbPath()), damaged); // the log stays beside it
            QVERIFY(DatabaseFile::readLog(folder->dbPath()).present);
            return;
        }
        // Kept as its bytes and its log: the engine can not copy a damaged file.
        QCOMPARE(run.prompts.texts().value(1),
                 restoredFrom(sound) + "  Start Corvane's Foodlark again to go on with it.");
        QCOMPARE(fileBytes(keptBackup()) + fileBytes(keptBackup() + "-wal"), damaged + log);
        ProgramRun next(folder->path());
        QVERIFY(Startup::openDatabase(next.context));
        QCOMPARE(next.prompts.count(), 0);
        QCOMPARE(entries(next), 3);
    }
};

QTEST_GUILESS_MAIN(BackupsTest)
#include "tst_backups.moc"

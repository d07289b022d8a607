#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QTest>

// The database file as two running copies of the program see it: the first
// copy's connectDB keeps the file to itself until closeDB, and whatever a copy
// had stored when it was killed is still there, in a sound file.
namespace {

const QString kBusyMessage =
    QStringLiteral("Unable to open the Corvane's Foodlark Database.  Make sure you don't "
                   "have another instance of Corvane's Foodlark open.  ");

// How long the helper may take to answer before the test gives up on it.
constexpr int kPatience = 20000;

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names and contents of the files of a folder.
QMap<QString, QByteArray> folderContents(const QString& path)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(path).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, contents(path + '/' + name));
    return files;
}

// A program context of its own over a program folder, counting shut-downs.
struct Copy
{
    explicit Copy(const QString& folder) : context(folder, prompts)
    {
        context.unloadMainWindow = [this] { ++shutDowns; };
    }
    ScriptedPrompts prompts;
    AppContext context;
    int shutDowns = 0;
};

bool waitForLine(QProcess& process, QByteArray* line)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(kPatience))
            return false;
    }
    *line = process.readLine().trimmed();
    return true;
}

// Starts the helper on a database and waits until it has connected.
bool startHelper(QProcess& helper, const QStringList& arguments)
{
    helper.start(QStringLiteral(FOODLARK_DATAWRITER), arguments);
    QByteArray line;
    if (!helper.waitForStarted(kPatience) || !waitForLine(helper, &line) || line != "ready") {
        qWarning() << "helper did not start:" << line << helper.readAllStandardError();
        return false;
    }
    return true;
}

} // namespace

class ExclusiveOpenTest : public QObject
{
    Q_OBJECT

private:
    void verifyBusyBox(const Copy& copy)
    {
        QCOMPARE(copy.prompts.count(), 1);
        const Prompt box = copy.prompts.last();
        QCOMPARE(box.icon, PromptIcon::Critical);
        QCOMPARE(box.buttons, PromptButtons::Ok);
        QCOMPARE(box.title, QString("Application Error"));
        QCOMPARE(box.text, kBusyMessage + copy.context.supportMessage);
        // A failed connect does not end the run by itself.
        QCOMPARE(copy.shutDowns, 0);
        QVERIFY(!copy.context.shutDownRequested());
    }

private slots:
    void secondCopyCannotOpenTheDatabase()
    {
        FixtureFolder folder;
        const QString data = QFileInfo(folder.dbPath()).absolutePath();
        QProcess first;
        QVERIFY(startHelper(first, {"hold", folder.dbPath()}));
        const QMap<QString, QByteArray> before = folderContents(data);

        Copy second(folder.path());
        QVERIFY(!second.context.dataSource().connectDB());
        QVERIFY(!second.context.dataSource().isConnected());
        verifyBusyBox(second);
        QCOMPARE(folderContents(data), before);

        // Once the first copy has closed the database, the second gets in.
        first.write("close\n");
        QByteArray line;
        QVERIFY(waitForLine(first, &line));
        QCOMPARE(line, QByteArray("closed"));
        QVERIFY(first.waitForFinished(kPatience));
        QCOMPARE(first.exitCode(), 0);
        second.prompts.clear();
        QVERIFY(second.context.dataSource().connectDB());
        QVERIFY(second.context.dataSource().cmdConfig());
        QCOMPARE(second.prompts.count(), 0);

        // And now it is the one that keeps the other out.
        QProcess third;
        third.start(QStringLiteral(FOODLARK_DATAWRITER), {"write", folder.dbPath(), "1"});
        QVERIFY(third.waitForFinished(kPatience));
        QCOMPARE(third.exitCode(), 1);
        QVERIFY(third.readAllStandardError().contains(kBusyMessage.toUtf8()));
        QCOMPARE(int(third.readAllStandardOutput().size()), 0);
    }

    void secondConnectionInOneProcessIsRefusedToo()
    {
        FixtureFolder folder;
        Copy first(folder.path());
        QVERIFY(first.context.dataSource().connectDB());
        Copy second(folder.path());
        QVERIFY(!second.context.dataSource().connectDB());
        verifyBusyBox(second);
        first.context.dataSource().closeDB();
        second.prompts.clear();
        QVERIFY(second.context.dataSource().connectDB());
        QCOMPARE(second.prompts.count(), 0);
    }

    void unusableFileIsNotOpened_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<bool>("namesTheFile");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("not a database") << QByteArray("Corvane's Foodlark\n").repeated(300) << true;
    }
    void unusableFileIsNotOpened()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, namesTheFile);
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        const QString data = QFileInfo(folder.dbPath()).absolutePath();
        if (!content.isEmpty()) {
            QFile file(folder.dbPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const QMap<QString, QByteArray> before = folderContents(data);
        Copy copy(folder.path());
        QVERIFY(!copy.context.dataSource().connectDB());
        if (namesTheFile) {
            QCOMPARE(copy.prompts.count(), 1);
            QCOMPARE(copy.prompts.last().title, QString("Application Error"));
            QCOMPARE(copy.prompts.last().text,
                     QString("The file '%1' is not a Corvane's Foodlark Database.  ").arg(folder.dbPath()) +
                         copy.context.supportMessage);
        } else {
            verifyBusyBox(copy);
        }
        QCOMPARE(folderContents(data), before);
    }

    void committedRowsSurviveAKill()
    {
        FixtureFolder folder;
        QProcess writer;
        QVERIFY(startHelper(writer, {"write", folder.dbPath()}));
        QList<int> printed;
        QByteArray line;
        while (printed.size() < 300) {
            QVERIFY(waitForLine(writer, &line));
            printed << line.toInt();
        }
        writer.kill();
        QVERIFY(writer.waitForFinished(kPatience));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        // Ids printed between the last read and the kill count too; a line cut
        // short by the kill does not.
        const QList<QByteArray> rest = writer.readAllStandardOutput().split('\n');
        for (int i = 0; i + 1 < rest.size(); ++i)
            printed << rest[i].toInt();

        // The next run of the program opens the file as the killed one left it
        // (a transaction may have been cut short) and finds it sound.
        Copy next(folder.path());
        OrvDataSource& ds = next.context.dataSource();
        QVERIFY(ds.connectDB());
        QSqlQuery query(ds.database());
        QVERIFY(query.exec("PRAGMA integrity_check"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QString("ok"));
        QSet<int> stored;
        QVERIFY(query.exec("SELECT DietId FROM DietActivity"));
        while (query.next())
            stored << query.value(0).toInt();
        QVERIFY(query.exec("SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'"));
        QVERIFY(query.next());
        const qint64 lastKey = query.value(0).toLongLong();
        query.finish();

        QList<int> lost;
        for (int id : printed)
            if (!stored.contains(id))
                lost << id;
        QCOMPARE(lost, QList<int>());
        // Ids are handed out before their row is stored, never after.
        for (int id : stored)
            QVERIFY2(id <= lastKey, qPrintable(QString("row %1 beyond key %2").arg(id).arg(lastKey)));

        // It goes on with fresh keys.
        QVERIFY(ds.cmdTableKey());
        const std::optional<qint32> key = ds.getTableKey("DIETACTIVITY");
        QVERIFY(key);
        QCOMPARE(qint64(*key), lastKey + 1);
        QCOMPARE(next.prompts.count(), 0);
    }
};

QTEST_GUILESS_MAIN(ExclusiveOpenTest)
#include "tst_exclusiveopen.moc"

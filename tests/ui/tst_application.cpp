#include "data/recordset.h"
#include "food/foodtree.h"
#include "fulldisk.h"
#include "shell/application.h"
#include "uitestsupport.h"

#include <QFileInfo>
#include <QTimer>

// A handler that fails the way an event handler of the program can.
struct FailingHandler : QObject
{
    std::function<void()> fail;
    bool event(QEvent* event) override { return event->type() == QEvent::User ? fail(), true : QObject::event(event); }
};

static Application* application() { return static_cast<Application*>(QCoreApplication::instance()); }

// What ends a run that meets a failure no operation trapped: every event
// handler runs inside the application's notify(), and what escapes one takes
// the "Application Error" path, whatever the failure.
class ApplicationTest : public MainWindowTest
{
    Q_OBJECT

    // The program as it runs, whose failures take the error path.
    void load()
    {
        start();
        QVERIFY(!f->ctx().dataSource().logHeld());
        application()->onFailure = [this](const std::exception& failure) { f->ctx().unexpectedFailure(failure); };
    }

private slots:
    void initTestCase() { FullDisk::install(); }
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup()
    {
        application()->onFailure = nullptr;
        f.reset();
        // A shut-down asks the application's event loop to end; it runs once
        // here so that the next test's loops run again.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }

    void failuresThatEscapeAHandlerEndOnTheErrorPath_data()
    {
        QTest::addColumn<int>("engineCode"); // -1: not a data failure; 0: a column gone, met on a click
        QTest::addColumn<QString>("message");
        const QString data = "Unable to read or write the Corvane's Foodlark Database.  ";
        // A column gone from under the running program: once a crash.
        QTest::newRow("data failure: a column gone, met on a click on a food") << 0 << data;
        QTest::newRow("full disk") << 13
                                   << data + "The disk that holds '%data' is full: make room on it before you start "
                                             "Corvane's Foodlark again.  Everything stored before this message has "
                                             "been kept.  ";
        QTest::newRow("damaged file") << 11
                                      << data + "The Corvane's Foodlark Database '%data/MeboData.mdb' is "
                                                "damaged; nothing more is written to it.  ";
        QTest::newRow("other failure") << -1 << "Corvane's Foodlark can not go on: out of paper.  ";
    }
    void failuresThatEscapeAHandlerEndOnTheErrorPath()
    {
        QFETCH(int, engineCode);
        QFETCH(QString, message);
        load();
        message.replace("%data", f->test.folder.path() + "/Data");
        FailingHandler handler;
        handler.fail = [engineCode] {
            if (engineCode < 0)
                throw std::runtime_error("out of paper");
            throw DataError("no such column: ServingSize", engineCode);
        };
        QEvent event(QEvent::User);
        if (engineCode == 0) {
            w().show();
            QVERIFY(QTest::qWaitForWindowExposed(&w()));
            f->test.exec("ALTER TABLE FoodItem DROP COLUMN ServingSize");
            QVERIFY(f->ctx().dataSource().cmdFoods());
            clickFood("F60001");
            message += f->ctx().supportMessage; // the whole box
        } else
            QCOMPARE(QCoreApplication::sendEvent(&handler, &event), false);
        QCOMPARE(std::make_pair(f->prompts().count(), f->test.shutDowns), std::make_pair(1, 1));
        QCOMPARE(f->prompts().last().title, QString("Application Error"));
        QVERIFY2(f->prompts().last().text.startsWith(message), qPrintable(f->prompts().last().text));
        QVERIFY(!w().isVisible());
        // The run has closed the file. A damaged file's log stays beside it;
        // any other was copied in and removed.
        QVERIFY(!f->ctx().dataSource().isConnected());
        QCOMPARE(QFileInfo::exists(f->test.folder.dbPath() + "-wal"), engineCode == 11);
        // What fails on the way out adds no second box.
        QCoreApplication::sendEvent(&handler, &event);
        QCOMPARE(f->prompts().count(), 1);
    }

    // A full disk refuses the next new entry, saying so; the run goes on, and
    // what was stored before stays.
    void aFullDiskSaysSoAndKeepsWhatWasStored()
    {
        load();
        NodeTree* tree = w().tvwFood;
        QTreeWidgetItem* food = tree->node("F60001");
        w().foodTree().foodNodeClick(food);
        emit tree->nodeDoubleClick(food);
        {
            FullDisk::Scope full;
            emit tree->nodeDoubleClick(food);
        }
        // The entry is not stored, the program goes on, and once there is room again it takes the entry.
        QCOMPARE(f->prompts().texts(),
                 QStringList{"Unable to update Diet Data.  The disk that holds '" + f->test.folder.path() +
                             "/Data' is full: make room on it, then try again.  "
                             "Everything stored before this message has been kept.  " +
                             f->ctx().supportMessage});
        QCOMPARE(f->test.shutDowns, 0);
        emit tree->nodeDoubleClick(food);
        f->ctx().dataSource().closeDB();
        QCOMPARE(fileRows(f->test.folder.dbPath(), "SELECT FoodName FROM DietActivity"),
                 (QList<QVariantList>{{"Apples, raw"}, {"Apples, raw"}}));
        QCOMPARE(fileRows(f->test.folder.dbPath(), "PRAGMA integrity_check"), (QList<QVariantList>{{"ok"}}));
    }
};

int main(int argc, char** argv)
{
    Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"

#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "fixture.h"

#include <QTest>

// Recordset behaviour the program relies on, on a fixture database: moving,
// finding, bookmarks, and writing through dynasets.
class RecordsetTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    Recordset& foods() { return t->ctx().dataSource().rsFoods; }

    QStringList foodNames(Recordset& rs)
    {
        QStringList names;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            names << rs.text("FoodName");
        return names;
    }

private slots:
    void init()
    {
        t = std::make_unique<TestContext>();
        QVERIFY(t->ctx().dataSource().cmdFoods());
    }
    void cleanup() { t.reset(); }

    void navigationWalksInOrderAndStopsAtBothEnds()
    {
        Recordset& rs = foods();
        QCOMPARE(rs.recordCount(), 7);
        QVERIFY(!rs.bof());
        QCOMPARE(rs.integer("FoodId"), int(Fixture::FavApples)); // group 2 comes first
        rs.moveLast();
        QCOMPARE(rs.integer("FoodId"), int(Fixture::ApplePie)); // group 20 comes last
        rs.moveNext();
        QVERIFY(rs.eof());
        QVERIFY(!rs.hasCurrent());
        rs.moveNext(); // stays after the last row
        QVERIFY(rs.eof());
        rs.movePrevious();
        QCOMPARE(rs.integer("FoodId"), int(Fixture::ApplePie));
        rs.moveFirst();
        rs.movePrevious();
        QVERIFY(rs.bof());
        QVERIFY_THROWS_EXCEPTION(DataError, rs.value("FoodName"));
        rs.moveFirst();
        rs.move(3);
        QCOMPARE(rs.absolutePosition(), 3);
        rs.move(100);
        QVERIFY(rs.eof());
    }

    void emptyRecordsetIsBothBofAndEof()
    {
        Recordset& rs = t->ctx().dataSource().rsDietData;
        QVERIFY(t->ctx().dataSource().cmdDietData("USER1"));
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.bof());
        QVERIFY(rs.eof());
        QVERIFY(!rs.findFirst(Criteria::equals("DietId", 1)));
        QVERIFY(rs.noMatch());
    }

    void findFirstAndNextFollowRecordsetOrder()
    {
        Recordset& rs = foods();
        // Equality on text ignores case, as does the contains match.
        QVERIFY(rs.findFirst(Criteria::equals("FoodName", "APPLES, RAW")));
        QCOMPARE(rs.integer("FoodId"), int(Fixture::FavApples));
        QVERIFY(rs.findNext(Criteria::equals("FoodName", "apples, raw")));
        QCOMPARE(rs.integer("FoodId"), int(Fixture::Apples));
        QVERIFY(!rs.findNext(Criteria::equals("FoodName", "apples, raw")));
        QVERIFY(rs.noMatch());
        // A failed search leaves the position where it was.
        QCOMPARE(rs.integer("FoodId"), int(Fixture::Apples));

        QVERIFY(rs.findFirst(Criteria::contains("FoodName", "APPLE")));
        QCOMPARE(rs.integer("FoodId"), int(Fixture::FavApples));
        QVERIFY(rs.findNext(Criteria::contains("FoodName", "APPLE")));
        QVERIFY(rs.findNext(Criteria::contains("FoodName", "APPLE")));
        QCOMPARE(rs.integer("FoodId"), int(Fixture::ApplePie));
        QVERIFY(!rs.noMatch());

        // The key column is found without a query; a number in another column with one.
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        QCOMPARE(rs.text("FoodName"), QString("Milk, whole"));
        QVERIFY(rs.findFirst(Criteria::equals("USDA_NDB_NO", 9040)));
        QCOMPARE(rs.integer("FoodId"), int(Fixture::Bananas));
    }

    void containsMatchesPatternCharactersLiterally_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("found");
        QTest::newRow("apostrophe") << "O'Brien's stew" << "o'brien" << true;
        QTest::newRow("percent") << "Milk 2% fat" << "2%" << true;
        QTest::newRow("percent is not a wildcard") << "Milk 2 fat" << "2%" << false;
        QTest::newRow("underscore") << "a_b" << "_" << true;
        QTest::newRow("underscore is not a wildcard") << "ab" << "a_" << false;
        QTest::newRow("star") << "star * food" << "*" << true;
        QTest::newRow("star is not a wildcard") << "stew" << "s*w" << false;
        QTest::newRow("question mark") << "what?" << "t?" << true;
        QTest::newRow("hash") << "No #5" << "#5" << true;
        QTest::newRow("hash is not a digit pattern") << "No 5" << "#" << false;
        QTest::newRow("bracket") << "[special]" << "[s" << true;
        QTest::newRow("backslash") << "back\\slash" << "k\\s" << true;
    }
    void containsMatchesPatternCharactersLiterally()
    {
        QFETCH(QString, name);
        QFETCH(QString, search);
        QFETCH(bool, found);
        t->exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (70000, ?, 20)", {name});
        t->exec("DELETE FROM FoodItem WHERE FoodId <> 70000");
        QVERIFY(t->ctx().dataSource().cmdFoods());
        QCOMPARE(foods().findFirst(Criteria::contains("FoodName", search)), found);
        // A snapshot matches the same way.
        QVERIFY(t->ctx().dataSource().cmdFoodItems(20));
        QCOMPARE(t->ctx().dataSource().rsFoodItems.findFirst(Criteria::contains("FoodName", search)), found);
    }

    void bookmarksReturnToTheSameRow()
    {
        Recordset& rs = foods();
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        const Recordset::Bookmark mark = rs.bookmark();
        rs.moveFirst();
        rs.setBookmark(mark);
        QCOMPARE(rs.text("FoodName"), QString("Milk, whole"));
        QVERIFY_THROWS_EXCEPTION(DataError, rs.setBookmark(999999));
    }

    void addNewAppendsAtTheEndAndLastModifiedFindsIt()
    {
        Recordset& rs = foods();
        rs.moveFirst();
        rs.addNew();
        rs.setValue("FoodId", 70001);
        rs.setValue("FoodName", "Aardvark jerky");
        rs.setValue("GroupId", Fixture::MyFoodsGroup);
        QCOMPARE(rs.text("FoodName"), QString("Aardvark jerky")); // the buffer is read back
        rs.update();
        QCOMPARE(rs.recordCount(), 8);
        // The current row is the one that was current before AddNew.
        QCOMPARE(rs.integer("FoodId"), int(Fixture::FavApples));
        rs.setBookmark(rs.lastModified());
        QCOMPARE(rs.text("FoodName"), QString("Aardvark jerky"));
        QCOMPARE(rs.absolutePosition(), 7); // joined the end, not its sorted place
        QCOMPARE(t->scalar("SELECT FoodName FROM FoodItem WHERE FoodId = 70001").toString(),
                 QString("Aardvark jerky"));
        // Columns not set take the table's defaults.
        QCOMPARE(rs.number("Fat"), 0.0);
    }

    void editWritesThroughAndCancelLeavesTheRow()
    {
        Recordset& rs = foods();
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        rs.edit();
        rs.setValue("FoodName", "Milk, skim");
        rs.cancelUpdate();
        QCOMPARE(rs.text("FoodName"), QString("Milk, whole"));

        rs.edit();
        rs.setValue("FoodName", "Milk, skim");
        rs.setValue("Fat", 0.2);
        rs.update();
        QCOMPARE(rs.text("FoodName"), QString("Milk, skim"));
        QCOMPARE(rs.lastModified(), qint64(Fixture::Milk));
        QCOMPARE(t->scalar("SELECT Fat FROM FoodItem WHERE FoodId = ?", {int(Fixture::Milk)}).toDouble(), 0.2);

        // Moving away from an unfinished edit discards it, as DAO does.
        rs.edit();
        rs.setValue("FoodName", "lost");
        rs.moveNext();
        QCOMPARE(t->scalar("SELECT FoodName FROM FoodItem WHERE FoodId = ?", {int(Fixture::Milk)}).toString(),
                 QString("Milk, skim"));
    }

    void editOfARowDeletedBehindTheRecordsetFails()
    {
        Recordset& rs = foods();
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        rs.edit();
        t->exec("DELETE FROM FoodItem WHERE FoodId = ?", {int(Fixture::Milk)});
        rs.setValue("FoodName", "Milk, skim");
        QVERIFY_THROWS_EXCEPTION(DataError, rs.update());
        QCOMPARE(t->scalar("SELECT count(*) FROM FoodItem").toInt(), 6);
    }

    void editOfTheKeyKeepsTheRowReachable()
    {
        Recordset& rs = foods();
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        const int position = rs.absolutePosition();
        rs.edit();
        rs.setValue("FoodId", 1078);
        rs.update();
        QCOMPARE(rs.absolutePosition(), position);
        QCOMPARE(rs.integer("FoodId"), 1078);
        QCOMPARE(rs.lastModified(), qint64(1078));
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", 1078)));
        QCOMPARE(rs.absolutePosition(), position);
        QVERIFY(!rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        QCOMPARE(t->scalar("SELECT FoodName FROM FoodItem WHERE FoodId = 1078").toString(), QString("Milk, whole"));
    }

    void deleteLeavesNoCurrentRowUntilAMove()
    {
        Recordset& rs = foods();
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Butter))));
        const int position = rs.absolutePosition();
        rs.deleteCurrent();
        QVERIFY(!rs.hasCurrent());
        QVERIFY_THROWS_EXCEPTION(DataError, rs.value("FoodName"));
        QCOMPARE(rs.recordCount(), 6);
        rs.moveNext(); // the row after the deleted one
        QCOMPARE(rs.absolutePosition(), position);
        QCOMPARE(rs.integer("FoodId"), int(Fixture::Milk));
        QCOMPARE(t->scalar("SELECT count(*) FROM FoodItem WHERE FoodId = ?", {int(Fixture::Butter)}).toInt(), 0);
        QVERIFY(!rs.findFirst(Criteria::equals("FoodId", int(Fixture::Butter))));
        QVERIFY(!rs.findFirst(Criteria::equals("FoodName", "Butter, salted")));
    }

    void deletingTheLastRowReachesEof()
    {
        Recordset& rs = foods();
        rs.moveLast();
        rs.deleteCurrent();
        rs.moveNext();
        QVERIFY(rs.eof());
    }

    void rowsChangedBehindTheRecordsetAreReadAfreshOnASeek()
    {
        Recordset& rs = foods();
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        QCOMPARE(rs.text("FoodName"), QString("Milk, whole"));
        t->exec("UPDATE FoodItem SET FoodName = 'Milk, goat' WHERE FoodId = ?", {int(Fixture::Milk)});
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        QCOMPARE(rs.text("FoodName"), QString("Milk, goat"));
        // A row deleted behind the recordset reads as deleted, not as stale values.
        t->exec("DELETE FROM FoodItem WHERE FoodId = ?", {int(Fixture::Milk)});
        rs.moveFirst();
        QVERIFY(rs.findFirst(Criteria::equals("FoodId", int(Fixture::Milk))));
        QVERIFY_THROWS_EXCEPTION(DataError, rs.value("FoodName"));
    }

    void longWalksReadEveryRowOnce()
    {
        // Walking more rows than one read block sees each row once, in order.
        for (int i = 0; i < 300; ++i)
            t->exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (?, ?, 20)",
                    {80000 + i, QString("Food %1").arg(i, 3, 10, QChar('0'))});
        QVERIFY(t->ctx().dataSource().cmdFoods());
        const QStringList names = foodNames(foods());
        QCOMPARE(names.size(), 307);
        QStringList sorted = names.mid(names.indexOf("Food 000"), 300);
        QCOMPARE(sorted.first(), QString("Food 000"));
        QCOMPARE(sorted.last(), QString("Food 299"));
        QCOMPARE(sorted.removeDuplicates(), 0);
    }

    void snapshotsRefuseWrites()
    {
        Recordset& rs = t->ctx().dataSource().rsMeasures;
        QVERIFY(t->ctx().dataSource().cmdMeasures(9003));
        QVERIFY(!rs.isUpdatable());
        QVERIFY_THROWS_EXCEPTION(DataError, rs.edit());
        QVERIFY_THROWS_EXCEPTION(DataError, rs.addNew());
        QVERIFY_THROWS_EXCEPTION(DataError, rs.deleteCurrent());
        QCOMPARE(t->scalar("SELECT count(*) FROM USDA_Measures WHERE NDB_NO = 9003").toInt(), 4);
    }

    void columnNamesIgnoreCaseAndUnknownOnesFail()
    {
        Recordset& rs = foods();
        QCOMPARE(rs.text("foodname"), rs.text("FOODNAME"));
        QVERIFY_THROWS_EXCEPTION(DataError, rs.value("NoSuchColumn"));
    }

    void datesAreStoredAsSortableText()
    {
        TestContext& c = *t;
        c.addDietRow("USER1", QDate(2003, 5, 14), "MEAL0", "Egg");
        QVERIFY(c.ctx().dataSource().cmdDietData("USER1"));
        Recordset& rs = c.ctx().dataSource().rsDietData;
        QCOMPARE(rs.date("DietDate"), QDate(2003, 5, 14));
        rs.edit();
        rs.setValue("DietDate", QDate(2004, 1, 2));
        rs.update();
        QCOMPARE(c.scalar("SELECT DietDate FROM DietActivity").toString(), QString("2004-01-02"));
    }

    void datesAreFoundInSnapshotsAndDynasetsAlike()
    {
        TestContext& c = *t;
        c.addDietRow("USER1", QDate(2003, 5, 13), "MEAL0", "Toast");
        const qint32 id = c.addDietRow("USER1", QDate(2003, 5, 14), "MEAL0", "Egg");
        c.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM) VALUES (1, 'USER1', '2003-05-14 08:00:00'), "
               "(2, 'USER1', '2003-05-14 23:30:00')");
        OrvDataSource& ds = c.ctx().dataSource();
        const QDateTime late(QDate(2003, 5, 14), QTime(23, 30));
        QVERIFY(ds.cmdDietData("USER1"));
        QVERIFY(ds.rsDietData.findFirst(Criteria::equals("DietDate", QDate(2003, 5, 14))));
        QCOMPARE(ds.rsDietData.integer("DietId"), id);
        QVERIFY(ds.cmdDietReport(QDate(2003, 5, 1), QDate(2003, 5, 31), "USER1"));
        QVERIFY(ds.rsDietReport.findFirst(Criteria::equals("DietDate", QDate(2003, 5, 14))));
        QCOMPARE(ds.rsDietReport.integer("DietId"), id);
        QVERIFY(ds.cmdSnapShotData("USER1"));
        QVERIFY(ds.rsSnapShotData.findFirst(Criteria::equals("SNAPDATETM", late)));
        QCOMPARE(ds.rsSnapShotData.integer("SNAPID"), 2);
        QVERIFY(ds.cmdSnapShotReport(QDateTime(QDate(2003, 5, 14), QTime(0, 0, 1)), late, "USER1"));
        QVERIFY(ds.rsSnapShotReport.findFirst(Criteria::equals("SNAPDATETM", late)));
        QCOMPARE(ds.rsSnapShotReport.integer("SNAPID"), 2);
    }

    void closedRecordsetIsEmpty()
    {
        Recordset& rs = foods();
        rs.close();
        QVERIFY(!rs.isOpen());
        QVERIFY(rs.eof());
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY_THROWS_EXCEPTION(DataError, rs.findFirst(Criteria::equals("FoodId", 1)));
    }
};

QTEST_GUILESS_MAIN(RecordsetTest)
#include "tst_recordset.moc"

#include "data/likepattern.h"
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
    OrvDataSource& ds() { return t->ctx().dataSource(); }
    Recordset& foods() { return ds().rsFoods; }
    bool findFood(int id) { return foods().findFirst(Criteria::equals("FoodId", id)); }
    // The keys of every match in turn, from the first; the set stays on the last one.
    static QString matches(Recordset& rs, const Criteria& criteria, const QString& key = "FoodId")
    {
        QStringList keys;
        for (bool found = rs.findFirst(criteria); found; found = rs.findNext(criteria))
            keys << rs.text(key);
        return keys.join(' ');
    }

private slots:
    void init()
    {
        t = std::make_unique<TestContext>();
        QVERIFY(ds().cmdFoods());
    }
    void cleanup() { t.reset(); }

    void navigationStopsAtBothEnds()
    {
        Recordset& rs = foods();
        QCOMPARE(rs.recordCount(), 7);
        QCOMPARE(rs.integer("FoodId"), int(Fixture::FavApples)); // group 2 comes first
        QCOMPARE(rs.text("foodname"), rs.text("FOODNAME"));       // column names ignore case
        QVERIFY_THROWS_EXCEPTION(DataError, rs.value("NoSuchColumn"));
        rs.moveLast();
        rs.moveNext();
        rs.moveNext(); // stays after the last row
        QVERIFY(rs.eof() && !rs.hasCurrent());
        QVERIFY_THROWS_EXCEPTION(DataError, rs.value("FoodName"));
        rs.movePrevious();
        QCOMPARE(rs.integer("FoodId"), int(Fixture::ApplePie)); // group 20 comes last
        rs.moveFirst();
        rs.movePrevious();
        QVERIFY(rs.bof());
        // An empty recordset is at both ends and finds nothing; a closed one fails to search.
        QVERIFY(ds().cmdDietData("USER1"));
        QVERIFY(ds().rsDietData.bof() && ds().rsDietData.eof());
        QCOMPARE(matches(ds().rsDietData, Criteria::equals("DietId", 1)), "");
        rs.close();
        QVERIFY(!rs.isOpen() && rs.eof());
        QVERIFY_THROWS_EXCEPTION(DataError, rs.findFirst(Criteria::equals("FoodId", 1)));
    }

    // A search as the Find window makes it, on a dynaset and on a snapshot alike.
    void searchesMatchNamesByPattern_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("found");
        const auto row = [](const char* tag, const QString& name, const QString& search, bool found) {
            QTest::newRow(tag) << name << search << found;
        };
        row("% is no run", "Milk 2 fat", "2%", false);
        row("_ is no character", "ab", "a_", false);
        row("* any run", "Beef stew", "B*TEW", true);
        row("# not a letter", "No x", "no #", false);
        row("complement", "Reef", "[!b]eef", true);
        row("complement refuses", "beef", "[!B]eef", false);
        row("bracketed star", "Trail mix *deluxe*", "[*]delu", true);
        row("backward range is plain", "x[z-a]", "[z-a]", true);
        row("accents, any case", "Crème brûlée", "CRÈME B?ÛLÉE", true);
        row("backslash", "back\\slash", "k\\s", true);
    }
    void searchesMatchNamesByPattern()
    {
        QFETCH(QString, name);
        QFETCH(QString, search);
        QFETCH(bool, found);
        t->exec("DELETE FROM FoodItem WHERE GroupId = 20");
        t->exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (70000, ?, 20)", {name});
        QVERIFY(ds().cmdFoods() && ds().cmdFoodItems(20)); // a dynaset and a snapshot
        const Criteria criteria = Criteria::like("FoodName", LikePattern::containing(search));
        QCOMPARE(foods().findFirst(criteria) && foods().integer("FoodId") == 70000, found);
        QCOMPARE(ds().rsFoodItems.findFirst(criteria), found);
    }

    // The Update of a row deleted behind the recordset fails rather than store
    // nothing, and the row then reads as deleted. (A cancelled edit, and a row
    // changed behind the set read afresh on a seek, are caught by the tests of
    // the configuration, the food editor and the diet log.)
    void aRowDeletedBehindTheSetIsNeitherWrittenNorRead()
    {
        QVERIFY(findFood(Fixture::Milk));
        foods().edit();
        t->exec("DELETE FROM FoodItem WHERE FoodId = ?", {int(Fixture::Milk)});
        foods().setValue("FoodName", "Milk, skim");
        QVERIFY_THROWS_EXCEPTION(DataError, foods().update());
        QCOMPARE(t->scalar("SELECT count(*) FROM FoodItem"), 6);
        foods().moveFirst();
        QVERIFY(findFood(Fixture::Milk));
        QVERIFY_THROWS_EXCEPTION(DataError, foods().value("FoodName"));
    }

    void longWalksReadEveryRowOnce()
    {
        // More rows than one read block, after the fixture's seven.
        QList<int> expected;
        for (int i = 0; i < 300; ++i) {
            t->exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (?, 'Food', 30)", {80000 + i});
            expected << 80000 + i;
        }
        QVERIFY(ds().cmdFoods());
        QList<int> ids;
        for (foods().moveFirst(); !foods().eof(); foods().moveNext())
            ids << foods().integer("FoodId");
        QCOMPARE(ids.mid(7), expected);
    }

    void idsReadWhenNeededGiveTheSameSet_data()
    {
        // Steps taken before the ids are first needed: "add ID DATE FOOD", "edit ID DATE FOOD",
        // "delete ID", "to ID" (found by its key), "first".
        QTest::addColumn<QString>("steps");
        QTest::newRow("nothing") << "";
        QTest::newRow("on a row") << "to 4";
        QTest::newRow("appended rows join the end") << "add 20 2003-05-01 Apple; add 21 2003-05-13 Egg";
        QTest::newRow("edited rows keep their place")
            << "edit 2 2001-01-01 Aaa; edit 1 2009-01-01 Zzz; edit 2 2010-01-01 Bbb; to 1";
        QTest::newRow("a row with no date edited") << "edit 6 2003-05-13 Tea; to 1";
        QTest::newRow("edited rows between the same two") << "edit 4 2005-01-01 A; edit 2 2005-01-01 B";
        QTest::newRow("an appended row edited, another deleted")
            << "add 20 2003-05-01 Apple; add 21 2003-05-13 Egg; edit 20 1999-01-01 Aaa; delete 21; "
               "edit 1 2004-01-01 Egg; delete 3; first";
        QTest::newRow("every row deleted")
            << "delete 1; delete 2; delete 3; delete 4; delete 6; add 20 2003-05-01 Apple; first";
    }
    void idsReadWhenNeededGiveTheSameSet()
    {
        QFETCH(QString, steps);
        // The same log twice, one set reading its ids at once, the other when needed.
        TestContext other;
        QStringList seen[2]; // what each set shows
        for (int i = 0; i < 2; ++i) {
            TestContext& log = i == 0 ? *t : other;
            log.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, FoodName) VALUES "
                     "(1, 'USER1', '2003-05-14', 'Toast'), (2, 'USER1', '2003-05-14', 'egg'), "
                     "(3, 'USER1', '2003-05-12', 'Tea'), (4, 'USER1', '2003-05-14', 'Egg'), "
                     "(5, 'USER2', '2003-05-13', 'Not mine'), (6, 'USER1', NULL, 'Old')");
            Recordset rs;
            rs.openDynaset(log.db(), "DietActivity", "UserName = ?", {"USER1"}, "DietDate, FoodName, DietId",
                           i == 0 ? Recordset::Keys::AtOnce : Recordset::Keys::WhenNeeded);
            for (const QString& step : steps.split("; ", Qt::SkipEmptyParts)) {
                const QStringList word = step.split(' ');
                const int id = word.value(1).toInt();
                if (word[0] == "first") {
                    rs.moveFirst();
                } else if (word[0] == "add") {
                    rs.addNew();
                    rs.setValue("DietId", id);
                    rs.setValue("UserName", "USER1");
                } else {
                    QVERIFY(rs.findFirst(Criteria::equals("DietId", id)));
                    if (word[0] == "edit")
                        rs.edit();
                    if (word[0] == "delete")
                        rs.deleteCurrent();
                }
                if (word[0] == "add" || word[0] == "edit") {
                    rs.setValue("DietDate", QDate::fromString(word[2], Qt::ISODate));
                    rs.setValue("FoodName", word[3]);
                    rs.update();
                }
            }
            // Every match of a search in turn, from where the steps left it, then from the first.
            const Criteria matching = Criteria::contains("FoodName", "A");
            auto search = [&] {
                while (rs.hasCurrent() && rs.findNext(matching))
                    seen[i] << rs.text("DietId");
                seen[i] << "|" << matches(rs, matching, "DietId") << "|";
            };
            search(); // then its size, where it stands, its rows from the first
            seen[i] << QString::number(rs.recordCount()) << QString::number(rs.absolutePosition())
                    << QString::number(rs.bof()) + QString::number(rs.eof());
            for (rs.moveFirst(); !rs.eof(); rs.moveNext())
                seen[i] << rs.text("DietId");
            search(); // with the ids read
        }
        QCOMPARE(seen[1], seen[0]);
    }

    void snapshotsRefuseWrites()
    {
        QVERIFY(ds().cmdMeasures(9003) && !ds().rsMeasures.isUpdatable());
        QVERIFY_THROWS_EXCEPTION(DataError, ds().rsMeasures.edit());
        QVERIFY_THROWS_EXCEPTION(DataError, ds().rsMeasures.addNew());
        QVERIFY_THROWS_EXCEPTION(DataError, ds().rsMeasures.deleteCurrent());
    }
};

QTEST_GUILESS_MAIN(RecordsetTest)
#include "tst_recordset.moc"

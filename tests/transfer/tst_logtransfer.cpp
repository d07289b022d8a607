#include "transferfixture.h"

#include "data/orvdatasource.h"
#include "transfer/csvreader.h"
#include "databasefiles.h"
#include "fulldisk.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace TransferFixture;

// The export of the whole log and its import: the formats as documented, a
// log with hostile texts that comes back byte for byte, what the import
// refuses (and that it then changes nothing), what it finds here already,
// where the user's foods go and which names and labels come along.
class LogTransferTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    static LogExport::Options format(bool csv)
    {
        LogExport::Options options;
        options.format = csv ? LogExport::Format::Csv : LogExport::Format::Json;
        return options;
    }
    // What the import says it did.
    static QString imported(TestContext& target, const QString& path)
    {
        LogImport import(target.ctx(), path);
        if (!import.preview() || !import.run())
            return import.refusal();
        return import.doneText();
    }

    static void bothFormats()
    {
        QTest::addColumn<bool>("csv");
        QTest::newRow("JSON") << false;
        QTest::newRow("CSV") << true;
    }

private slots:
    void roundTripKeepsEveryByte_data() { bothFormats(); }
    void roundTripKeepsEveryByte()
    {
        QFETCH(bool, csv);
        const QString tag = QTest::currentDataTag();
        TestContext source;
        writeHostileLog(source);
        const QString first = exportTo(source, dir.filePath(tag + (csv ? "-first" : "-first.json")), format(csv));

        TestContext target; // a new database: the fixture's catalogue, no log
        const int lastKey = target.scalar("SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'").toInt();
        const QString done = imported(target, first);
        const QString second = exportTo(target, dir.filePath(tag + (csv ? "-second" : "-second.json")), format(csv));
        QCOMPARE(files(second).values(), files(first).values());
        if (csv)
            QCOMPARE(files(second).keys(), files(first).keys());

        // Every entry is there, numbered on from the key sequence; a backup came first.
        const int entries = source.scalar("SELECT count(*) FROM DietActivity").toInt();
        QCOMPARE(target.rows("SELECT min(DietId), max(DietId), count(*) FROM DietActivity").first(),
                 (QVariantList{lastKey + 1, lastKey + entries, entries}));
        QCOMPARE(target.scalar("SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'").toInt(), lastKey + entries);
        const QStringList backups = QDir(target.ctx().backupFolder()).entryList({"*-before-import.mdb"});
        QCOMPARE(backups.size(), 1);
        QVERIFY2(done.endsWith("kept in '" + target.ctx().backupFolder() + "/" + backups.first() + "'."), qPrintable(done));
        QCOMPARE(target.rows(kEntries), source.rows(kEntries)); // the texts as they were, not only as written
        // Another reader takes the document as JSON.
        if (!csv) {
            QJsonParseError error;
            QJsonDocument::fromJson(fileBytes(first), &error);
            QCOMPARE(error.errorString(), QJsonParseError().errorString());
        }
    }

    void jsonDocumentAsDocumented()
    {
        TestContext test;
        test.addDietRow("USER1", QDate(2026, 3, 2), "MEAL1", "Toast", 1.5);
        test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM, SNAPVAL1, SNAPVAL7, SNAPVAL8, SNAPCOMMENTS) "
                  "VALUES (1, 'USER2', '2026-03-02 07:45:00', 72.5, '120/80', '', 'after a run')");
        const QString path = exportTo(test, dir.filePath("documented.json"));
        QString meals;
        const QStringList labels = {"Breakfast", "Lunch", "Dinner", "Snack", "", "", "", "", "", ""};
        for (int i = 0; i < 10; ++i)
            meals += QString("    {\"meal\": \"MEAL%1\", \"label\": \"%2\"}%3\n").arg(i).arg(labels[i], i < 9 ? "," : "");
        const QString nothing = "\"usdaNdbNo\": 0, \"usdaMsreNo\": 0, \"usdaGramWeight\": 0";
        const QString expected =
            "{\n"
            "  \"format\": \"foodlark-log\",\n"
            "  \"version\": 1,\n"
            "  \"exported\": \"2026-04-01T09:30:00+02:00\",\n"
            "  \"program\": \"Corvane's Foodlark 3.0.0\",\n"
            "  \"from\": null,\n"
            "  \"to\": null,\n"
            "  \"users\": [\n"
            "    {\"user\": \"USER1\", \"name\": \"User 1\"},\n"
            "    {\"user\": \"USER2\", \"name\": \"User 2\"},\n"
            "    {\"user\": \"USER3\", \"name\": \"User 3\"},\n"
            "    {\"user\": \"USER4\", \"name\": \"User 4\"}\n"
            "  ],\n"
            "  \"meals\": [\n" +
            meals +
            "  ],\n"
            "  \"nutrientLabels\": {\"other1\": \"Fiber\", \"other2\": \"Sugars\"},\n"
            "  \"snapshotLabels\": [\"Weight\", \"Waist\", \"Chest\", \"Thighs\", \"\", \"\", \"\", \"\"],\n"
            "  \"groups\": [\n"
            "    {\"root\": \"My Foods\", \"group\": \"My Foods\"}\n"
            "  ],\n"
            "  \"foods\": [\n"
            "    {\"root\": \"Favorites\", \"group\": null, \"food\": \"Apples, raw\", \"servingSize\": \"100 g\", "
            "\"usdaNdbNo\": 9003, \"usdaMsreNo\": 3, \"usdaGramWeight\": 100, \"fat\": 10, \"protein\": 1, "
            "\"carbohydrate\": 20, \"calorie\": 50, \"sodium\": 1, \"cholesterol\": 0, \"other1\": 2, \"other2\": 10},\n"
            "    {\"root\": \"My Foods\", \"group\": \"My Foods\", \"food\": \"apple pie (home)\", \"servingSize\": "
            "\"1 slice\", " + nothing + ", \"fat\": 19, \"protein\": 4, \"carbohydrate\": 58, \"calorie\": 411, "
            "\"sodium\": 327, \"cholesterol\": 0, \"other1\": 2, \"other2\": 20}\n"
            "  ],\n"
            "  \"entries\": [\n"
            "    {\"user\": \"USER1\", \"userName\": \"User 1\", \"date\": \"2026-03-02\", \"meal\": \"MEAL1\", "
            "\"mealLabel\": \"Lunch\", \"group\": \"Test Group\", \"food\": \"Toast\", \"servingSize\": \"1 serving\", "
            "\"servings\": 1, " + nothing + ", \"fat\": 1.5, \"protein\": 3, \"carbohydrate\": 4.5, \"calorie\": 6, "
            "\"sodium\": 7.5, \"cholesterol\": 9, \"other1\": 10.5, \"other2\": 12}\n"
            "  ],\n"
            "  \"snapshots\": [\n"
            "    {\"user\": \"USER2\", \"userName\": \"User 2\", \"taken\": \"2026-03-02T07:45:00\", \"value1\": 72.5, "
            "\"value2\": null, \"value3\": null, \"value4\": null, \"value5\": null, \"value6\": null, \"value7\": "
            "\"120/80\", \"value8\": \"\", \"comments\": \"after a run\"}\n"
            "  ]\n"
            "}\n";
        QCOMPARE(QString::fromUtf8(fileBytes(path)), expected);
    }

    void csvFilesAsDocumented()
    {
        TestContext test;
        labelsOf(test);
        test.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, GroupName, FoodName, NumServings, "
                  "ServingSize, Fat, Other1) VALUES (1, 'USER2', '2026-03-02', 'MEAL4', '', ?, -0.5, NULL, -1e-05, 3)",
                  {"=1+1, \"two\"\nlines"});
        test.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, NumServings) "
                  "VALUES (2, 'USER2', '2026-03-02', NULL, '''+x', 2)");
        LogExport::Options options = format(true);
        options.user = "USER2";
        const QString path = exportTo(test, dir.filePath("documented"), options);
        const QByteArray bom = "\xEF\xBB\xBF";
        QByteArray meals;
        const QStringList labels = {"Breakfast", "Lunch", "Dinner", "Snack", "Brunch 🍳", "", "", "", "", ""};
        for (int i = 0; i < 10; ++i)
            meals += QString("MEAL%1,%2\r\n").arg(i).arg(labels[i].isEmpty() ? "\"\"" : labels[i]).toUtf8();
        QCOMPARE(fileBytes(path + "/about.csv"),
                 bom + "Item,Value\r\nformat,foodlark-log\r\nversion,1\r\nexported,2026-04-01T09:30:00+02:00\r\n"
                       "program,Corvane's Foodlark 3.0.0\r\nfrom,\r\nto,\r\nUSER2,\"Ann \"\"A\"\", =x\"\r\n" +
                     meals +
                     "OTHER1,\"Fibre, g\"\r\nOTHER2,Sugars\r\nSNAPSHOT1,Weight\r\nSNAPSHOT2,Waist\r\n"
                     "SNAPSHOT3,Chest\r\nSNAPSHOT4,Thighs\r\nSNAPSHOT5,'=BP\r\nSNAPSHOT6,\"\"\r\nSNAPSHOT7,\"\"\r\n"
                     "SNAPSHOT8,\"\"\r\n");
        // Texts through the formula guard (an apostrophe that could be taken
        // for it gets one more), numbers as they are, no value left empty, an
        // empty text "".
        QCOMPARE(QString::fromUtf8(fileBytes(path + "/entries.csv")),
                 QString::fromUtf8(bom) +
                     "User,User Name,Date,Meal,Meal Label,Group,Food,Serving Size,Servings,USDA NDB No,USDA Measure No,"
                     "USDA Gram Weight,Fat,Protein,Carbohydrate,Calorie,Sodium,Cholesterol,\"Fibre, g (Other1)\","
                     "Sugars (Other2)\r\n"
                     "USER2,\"Ann \"\"A\"\", =x\",2026-03-02,,\"\",,''+x,,2,0,0,0,0,0,0,0,0,0,0,0\r\n"
                     "USER2,\"Ann \"\"A\"\", =x\",2026-03-02,MEAL4,Brunch 🍳,\"\",\"'=1+1, \"\"two\"\"\nlines\",,-0.5,"
                     "0,0,0,-1e-05,0,0,0,0,0,3,0\r\n");
        QCOMPARE(QString::fromUtf8(fileBytes(path + "/snapshots.csv")),
                 QString::fromUtf8(bom) +
                     "User,User Name,Taken,Weight (Value 1),Waist (Value 2),Chest (Value 3),Thighs (Value 4),'=BP (Value 5),"
                     "Value 6,Value 7,Value 8,Comments\r\n");
    }

    void filtersChooseUserAndDays_data()
    {
        QTest::addColumn<QString>("user"); // "" for every user, all of whom the file lists
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("snapshots");
        QTest::newRow("everything") << "" << QDate() << QDate() << 9 << 4;
        QTest::newRow("one user") << "USER2" << QDate() << QDate() << 3 << 2;
        QTest::newRow("from a day") << "" << QDate(2026, 3, 3) << QDate() << 6 << 2;
        QTest::newRow("to a day, its last snapshot too") << "" << QDate() << QDate(2026, 3, 2) << 3 << 2;
        QTest::newRow("one user, one day") << "USER1" << QDate(2026, 3, 3) << QDate(2026, 3, 3) << 2 << 1;
    }
    void filtersChooseUserAndDays()
    {
        QFETCH(QString, user);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, entries);
        QFETCH(int, snapshots);
        TestContext test;
        for (int day = 0; day < 3; ++day) {
            for (const char* who : {"USER1", "USER1", "USER2"})
                test.addDietRow(who, QDate(2026, 3, 2 + day), "MEAL0", "Toast");
        }
        for (const char* taken : {"2026-03-01 12:00:00", "2026-03-02 23:59:59", "2026-03-03 00:00:00", "2026-03-04 08:00:00"})
            test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM) VALUES ((SELECT count(*) + 1 FROM SNAPSHOT), "
                      "(SELECT CASE WHEN count(*) % 2 THEN 'USER2' ELSE 'USER1' END FROM SNAPSHOT), ?)",
                      {taken});
        LogExport::Options options;
        options.user = user;
        options.from = from;
        options.to = to;
        const QString path = exportTo(test, dir.filePath(QString(QTest::currentDataTag()) + ".json"), options);
        const QJsonDocument document = QJsonDocument::fromJson(fileBytes(path));
        QStringList listed;
        for (const QJsonValue& listedUser : document["users"].toArray())
            listed << listedUser["user"].toString();
        QCOMPARE(listed, user.isEmpty() ? QStringList({"USER1", "USER2", "USER3", "USER4"}) : QStringList(user));
        QCOMPARE(document["entries"].toArray().size(), entries);
        QCOMPARE(document["snapshots"].toArray().size(), snapshots);
        QCOMPARE(document["foods"].toArray().size(), 2); // own foods belong to no user and no day
        QCOMPARE(document["from"].toString() + "|" + document["to"].toString(),
                 (from.isValid() ? from.toString(Qt::ISODate) : "") + "|" + (to.isValid() ? to.toString(Qt::ISODate) : ""));
    }

    // A bad record, wherever it is, refuses the whole file; the rows added
    // before it and the keys handed out are taken back.
    void badFilesAreRefusedWhole_data()
    {
        QTest::addColumn<bool>("csv");
        QTest::addColumn<QString>("replaced");  // the last occurrence of it ...
        QTest::addColumn<QString>("by");        // ... is replaced by this
        QTest::addColumn<QString>("reason");    // %1: the line of the change
        QTest::addColumn<bool>("atEnd");        // found at the end of the file
        const QString last = "entries[2] (line %1): ";
        QTest::newRow("not a number") << false << "\"servings\": 1," << "\"servings\": \"one\"," << last + "\"servings\" is not a number (\"one\")" << false;
        QTest::newRow("not a day") << false << "\"date\": \"2026-03-04\"" << "\"date\": \"2026-02-30\"" << last + "\"date\" is not a day written YYYY-MM-DD (\"2026-02-30\")" << false;
        QTest::newRow("a meal not here") << false << "\"meal\": \"MEAL2\"" << "\"meal\": \"MEAL12\"" << last + "the meal \"MEAL12\" does not exist in this database" << false;
        QTest::newRow("a user not here") << false << "\"user\": \"USER1\", \"userName\"" << "\"user\": \"USER9\", \"userName\"" << last + "the user \"USER9\" does not exist in this database" << false;
        QTest::newRow("a name too long") << false << "\"food\": \"Toast\"" << "\"food\": \"" + QString(201, 'x') + "\"" << last + "\"food\" is longer than 200 characters" << false;
        QTest::newRow("a field missing") << false << "\"servings\": 1, " << "" << last + "\"servings\" is missing" << false;
        QTest::newRow("a field not known") << false << "\"servings\": 1, " << "\"servings\": 1, \"colour\": \"red\", " << last + "\"colour\" is not a field of the entries" << false;
        QTest::newRow("a whole number") << false << "\"usdaNdbNo\": 0" << "\"usdaNdbNo\": 0.5" << last + "\"usdaNdbNo\" is not a whole number (\"0.5\")" << false;
        QTest::newRow("a newer version") << false << "\"version\": 1" << "\"version\": 2" << "it was written in version 2 of the Foodlark data format, and this version of the program reads version 1 at most" << false;
        QTest::newRow("another format") << false << "\"format\": \"foodlark-log\"" << "\"format\": \"recipes\"" << "it is not a Foodlark data export (its format is \"recipes\", not \"foodlark-log\")" << false;
        QTest::newRow("a user of the header not here") << false << "\"user\": \"USER4\", \"name\"" << "\"user\": \"USER5\", \"name\"" << "the file names the user \"USER5\", which does not exist in this database" << false;
        QTest::newRow("cut short") << false << "]\n}\n" << "],\n" << "it is not a complete JSON document (line %1: a member name was expected, not the end of the file)" << true;
        QTest::newRow("CSV: not a number") << true << ",Toast,1 serving,1," << ",Toast,1 serving,one," << "entries.csv, line %1: \"Servings\" is not a number (\"one\")" << false;
        QTest::newRow("CSV: a column not known") << true << "Servings" << "Portions" << "entries.csv, line %1: the column \"Portions\" is not known" << false;
        QTest::newRow("CSV: a cell too many") << true << ",Toast,1 serving," << ",Toast,extra,1 serving," << "entries.csv, line %1: it has 21 cells, and the line of titles 20" << false;
        QTest::newRow("CSV: a quote not closed") << true << ",Toast," << ",\"Toast," << "entries.csv, line %1: a cell in quotes is not closed" << true;
    }
    void badFilesAreRefusedWhole()
    {
        QFETCH(bool, csv);
        QFETCH(QString, replaced);
        QFETCH(QString, by);
        QFETCH(QString, reason);
        QFETCH(bool, atEnd);
        TestContext source;
        for (const char* meal : {"MEAL0", "MEAL1", "MEAL2"})
            source.addDietRow("USER1", QDate(2026, 3, 2 + int(meal[4] - '0')), meal, "Toast");
        const QString path = exportTo(source, dir.filePath(QString(QTest::currentDataTag()) + (csv ? "" : ".json")), format(csv));
        const QString file = csv ? path + "/entries.csv" : path;
        QString text = QString::fromUtf8(fileBytes(file));
        const qsizetype at = text.lastIndexOf(replaced);
        QVERIFY(at >= 0);
        text.replace(at, replaced.size(), by);
        QFile changed(file);
        QVERIFY(changed.open(QIODevice::WriteOnly) && changed.write(text.toUtf8()) > 0);
        changed.close();
        const int line = int((atEnd ? text : text.left(at)).count('\n')) + 1;

        TestContext target;
        target.addDietRow("USER1", QDate(2026, 1, 1), "MEAL0", "Already here");
        target.ctx().dataSource().cmdTableKey();
        const auto before = everything(target);
        LogImport import(target.ctx(), path);
        QVERIFY(!import.run()); // without its preview: the rows before the bad one are written, then taken back
        QCOMPARE(import.refusal(), QString("The file '%1' can not be imported: %2.  Nothing has been imported.")
                                       .arg(path, reason.contains("%1") ? reason.arg(line) : reason));
        QCOMPARE(everything(target), before);
        // The key recordset was read again: the next key follows the one in the table.
        QCOMPARE(target.ctx().dataSource().getTableKey("DIETACTIVITY"), std::optional<qint32>(2));
        QCOMPARE(target.prompts.count(), 0);
        QVERIFY(!import.preview());
    }

    // Equal records count as often as they are here: two in the file and one
    // here add one. The preview says so.
    void whatIsHereAlreadyIsNotAddedAgain()
    {
        TestContext source;
        for (int i = 0; i < 2; ++i)
            source.addDietRow("USER1", QDate(2026, 3, 2), "MEAL0", "Toast", 1.5);
        source.addDietRow("USER1", QDate(2026, 3, 4), "MEAL1", "Soup", 2);
        source.addDietRow("USER2", QDate(2026, 3, 1), "", "Tea", 0.5);
        source.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM, SNAPVAL1) VALUES (1, 'USER2', '2026-03-05 07:00:00', 70)");
        const QString path = exportTo(source, dir.filePath("twice.json"));

        TestContext target;
        target.addDietRow("USER1", QDate(2026, 3, 2), "MEAL0", "Toast", 1.5);
        target.addDietRow("user2", QDate(2026, 3, 1), "", "Tea", 0.5); // the same user, as the database compares keys
        target.addDietRow("USER1", QDate(2026, 3, 4), "MEAL1", "Soup", 2.0000001); // not the same values
        target.ctx().dataSource().cmdTableKey();
        LogImport import(target.ctx(), path);
        QVERIFY(import.preview());
        QCOMPARE(import.previewText(),
                 "The file '" + path + "' (written by Corvane's Foodlark 3.0.0 on 2026-04-01T09:30:00+02:00) holds:\n"
                 "  User 1 (USER1): 3 diet entries (1 here already), 0 snapshots\n"
                 "  User 2 (USER2): 1 diet entry (all here already), 1 snapshot\n"
                 "  days from 2026-03-01 to 2026-03-05\n"
                 "  2 foods of the user's own (all here already) and 1 food group (all here already)\n"
                 "To be added: 2 diet entries, 1 snapshot, 0 foods and 0 food groups.");
        QVERIFY(import.run());
        QCOMPARE(target.scalar("SELECT count(*) FROM DietActivity WHERE FoodName = 'Toast'").toInt(), 2);
        QCOMPARE(target.scalar("SELECT count(*) FROM DietActivity").toInt(), 5);
    }

    // A food goes to its own group (made when missing), to the same group as
    // a food with its values here, or to "Imported" when its top-level group
    // is not here.
    void foodsFindTheirGroups()
    {
        TestContext source;
        source.exec("INSERT INTO FoodGroup VALUES (40, 'Grandma''s', 0, 'GROUPROOT')");
        source.exec("INSERT INTO FoodGroup VALUES (41, 'Cakes', 40, 'GROUP')");
        source.exec("INSERT INTO FoodGroup VALUES (42, 'Recipes', ?, 'GROUP')", {Fixture::MyFoodsRoot});
        source.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize, USDA_NDB_NO) VALUES "
                    "(70001, 'Plum cake', 41, '1 piece', 0), (70002, 'Stew', 42, '1 bowl', 0), "
                    "(70003, 'Stew', 42, '1 bowl', 0), (70004, 'Tea', ?, '1 cup', 0)",
                    {Fixture::FavoritesRoot});
        // The fixture's own pie, moved: still the same food.
        source.exec("UPDATE FoodItem SET GroupId = 42 WHERE FoodId = ?", {Fixture::ApplePie});
        const QString path = exportTo(source, dir.filePath("foods.json"));

        TestContext target;
        target.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize, USDA_NDB_NO) VALUES (70001, 'Stew', ?, '1 bowl', 0)",
                    {Fixture::MyFoodsGroup});
        LogImport import(target.ctx(), path);
        QVERIFY(import.preview());
        QCOMPARE(import.summary().foodsToImported, 1);
        QCOMPARE(import.summary().newFoods(), 3); // the cake, a second stew, the tea
        QCOMPARE(import.summary().newGroups(), 1); // Recipes; Cakes has no place here
        QVERIFY(import.run());
        const QString placed = "SELECT r.GroupName, g.GroupName, f.FoodName FROM FoodItem f JOIN FoodGroup g ON "
                               "g.GroupId = f.GroupId LEFT JOIN FoodGroup r ON r.GroupId = g.ParentGroup "
                               "WHERE f.USDA_NDB_NO <> f.FoodId ORDER BY f.FoodId";
        QStringList foods;
        for (const QVariantList& food : target.rows(placed))
            foods << food[0].toString() + "/" + food[1].toString() + "/" + food[2].toString();
        foods.sort();
        QCOMPARE(foods, (QStringList{"/Favorites/Apples, raw", "/Favorites/Tea", "My Foods/Imported/Plum cake",
                                     "My Foods/My Foods/Stew", "My Foods/My Foods/apple pie (home)",
                                     "My Foods/Recipes/Stew"}));
        // Once more: the groups are found, "Imported" too, and nothing is added.
        LogImport again(target.ctx(), path);
        QVERIFY(again.preview());
        QCOMPARE(again.summary().newFoods() + again.summary().newGroups(), 0);
    }

    // Where this database has a log, only the labels it leaves blank come
    // from the file; the current user stays the current user.
    void namesAndLabelsComeAlongWhereNoneAreSet()
    {
        TestContext source;
        source.ctx().config().setConfig("USER1", "Ann", false);
        source.ctx().config().setConfig("MEAL5", "Supper", false);
        source.addDietRow("USER1", QDate(2026, 3, 2), "MEAL5", "Soup");
        const QString path = exportTo(source, dir.filePath("labels.json"));

        TestContext target;
        target.addDietRow("USER2", QDate(2026, 1, 1), "MEAL0", "Toast");
        target.ctx().config().setConfig("USER1", "Me", true);
        LogImport import(target.ctx(), path);
        QVERIFY(import.preview());
        QCOMPARE(import.summary().relabels, (QList<QStringList>{{"MEAL5", "", "Supper"}}));
        QVERIFY(import.previewText().contains("Names and labels taken from the file: MEAL5 \"\" becomes \"Supper\"."));
        QVERIFY(import.run());
        QCOMPARE(target.rows("SELECT ConfigItem, ConfigValue, SelectedConfig FROM CONFIG WHERE ConfigItem IN "
                             "('USER1', 'MEAL5') ORDER BY 1"),
                 (QList<QVariantList>{{"MEAL5", "Supper", 0}, {"USER1", "Me", 1}}));
    }

    // A CSV folder as a spreadsheet saves it again: no byte order mark, line
    // feeds alone, every cell in quotes, the columns in another order and
    // those for the reader left out. It reads the same.
    void csvAsASpreadsheetSavesIt()
    {
        TestContext source;
        writeHostileLog(source);
        const QString path = exportTo(source, dir.filePath("spreadsheet"), format(true));
        QFile file(path + "/entries.csv");
        QVERIFY(file.open(QIODevice::ReadOnly));
        CsvReader csv(file);
        QList<QStringList> records;
        QList<QVector<bool>> quoted;
        while (csv.next()) {
            records << csv.cells();
            quoted << csv.quoted();
        }
        file.close();
        // Food first, the derived columns gone, the rest as it was.
        const QStringList titles = records[0];
        QList<int> order = {int(titles.indexOf("Food"))};
        for (int i = 0; i < titles.size(); ++i) {
            if (!order.contains(i) && titles[i] != "User Name" && titles[i] != "Meal Label")
                order << i;
        }
        QByteArray saved;
        for (int r = 0; r < records.size(); ++r) {
            QStringList cells;
            for (int i : order) {
                // An empty cell stands for no value: a spreadsheet keeps it empty.
                QString cell = records[r][i];
                cells << (cell.isEmpty() && !quoted[r][i] ? QString() : "\"" + cell.replace("\"", "\"\"") + "\"");
            }
            saved += cells.join(",").toUtf8() + "\n";
        }
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(saved) == saved.size());
        file.close();

        TestContext target;
        const QString done = imported(target, path);
        QVERIFY2(done.startsWith("The file"), qPrintable(done));
        QCOMPARE(target.rows(kEntries), source.rows(kEntries));
    }

    // Without its backup nothing is imported.
    void noBackupNoImport()
    {
        FullDisk::install(); // for the connections opened from here on
        TestContext source;
        source.addDietRow("USER1", QDate(2026, 3, 2), "MEAL0", "Toast");
        const QString path = exportTo(source, dir.filePath("unbacked.json"));
        TestContext target;
        const auto before = everything(target);
        LogImport import(target.ctx(), path);
        QVERIFY(import.preview());
        {
            FullDisk::Scope full;
            QVERIFY(!import.run());
        }
        QCOMPARE(import.refusal(), QString()); // said in the box
        QCOMPARE(target.prompts.texts().size(), 1);
        QVERIFY2(target.prompts.last().text.startsWith(
                     "Unable to back up the Corvane's Foodlark Database to '" + target.ctx().backupFolder() +
                     "': the disk is full.  Nothing has been imported.  "),
                 qPrintable(target.prompts.last().text));
        QCOMPARE(everything(target), before);
    }

    // A failure on the way (here a file that may grow no further) leaves no
    // file half-written, and an earlier export as it was.
    void aFailedWriteLeavesTheEarlierExport_data() { bothFormats(); }
    void aFailedWriteLeavesTheEarlierExport()
    {
        QFETCH(bool, csv);
        TestContext test;
        const QString folder = dir.filePath(QString("failing-") + QTest::currentDataTag());
        QDir().mkpath(folder);
        const QString path = exportTo(test, folder + (csv ? "/export" : "/export.json"), format(csv));
        const auto earlier = DatabaseFiles::contents(folder);
        const auto earlierFiles = files(path);
        writeHostileLog(test);
        for (int i = 0; i < 200; ++i)
            test.addDietRow("USER1", QDate(2026, 5, 1).addDays(i), "MEAL0", "Toast");

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{8192, limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
        LogExport exporter(test.ctx(), format(csv));
        QString error;
        const bool written = exporter.write(path, &error);
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY(!written);
        QCOMPARE(error, QString("The diet log could not be exported to '%1': File too large%2.")
                            .arg(path, csv ? " (entries.csv)" : ""));
        QCOMPARE(DatabaseFiles::contents(folder), earlier);
        QCOMPARE(files(path), earlierFiles);

        QVERIFY(!LogExport(test.ctx(), format(csv)).write(folder + "/no such folder/export", &error));
        QVERIFY2(error.startsWith("The diet log could not be exported to '" + folder + "/no such folder/export': "),
                 qPrintable(error));
        QCOMPARE(DatabaseFiles::contents(folder), earlier);
    }
};

QTEST_GUILESS_MAIN(LogTransferTest)
#include "tst_logtransfer.moc"

#include "../ui/uitestsupport.h"
#include "app/configstore.h"
#include "diet/diettree.h"
#include "diet/diettreemodel.h"
#include "options/goalspage.h"
#include "options/optionsdialog.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTabWidget>

static void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Clicks an option button on its indicator (its text may not fill the button).
static void choose(QRadioButton* option)
{
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

// The options dialog through its widgets, and the main window's follow-up.
class OptionsDialogTest : public MainWindowTest
{
    Q_OBJECT

private:
    // Opens Tools > Configuration Options and runs steps on the dialog; whatever they leave open is cancelled.
    void withOptions(const std::function<void(OptionsDialog&)>& steps)
    {
        QVERIFY(onDialog<OptionsDialog>([this] { w().toolsOptions(); }, steps));
    }
    QString stored(const QString& item)
    {
        return f->test.scalar("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = ?", {item}).toString();
    }
    // The items that carry the current-user mark.
    QString marked()
    {
        return f->test.scalar("SELECT group_concat(ConfigItem) FROM CONFIG WHERE SelectedConfig <> 0").toString();
    }
    QList<QVariantList> allConfig() { return f->test.rows("SELECT * FROM CONFIG ORDER BY rowid"); }

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        f->test.addDietRow("USER1", QDate(2003, 5, 12), "MEAL1", "Toast");
        f->test.addDietRow("USER3", QDate(2003, 5, 13), "MEAL0", "Egg");
        f->load();
    }
    void cleanup() { f.reset(); }

    void preConfiguredSets_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QStringList>("labels");
        // clang-format off
        QTest::newRow("Body Building") << 0 << QStringList{"Weight", "Waist", "Chest", "Biceps", "Shoulders", "", "", ""};
        QTest::newRow("Cardiology") << 1 << QStringList{"Weight", "Cholesterol", "Pulse", "", "", "", "Blood Pressure", ""};
        QTest::newRow("Diabetic") << 2 << QStringList{"Weight", "Blood Glucose", "", "", "", "", "Blood Pressure", ""};
        QTest::newRow("Renal") << 3 << QStringList{"Weight", "Creatine", "", "", "", "", "Blood Pressure", ""};
        QTest::newRow("Weight Loss") << 4 << QStringList{"Weight", "Waist", "Chest", "Thighs", "", "", "", ""};
        // clang-format on
    }
    void preConfiguredSets()
    {
        QFETCH(int, set);
        QFETCH(QStringList, labels);
        const QList<QVariantList> before = allConfig();
        withOptions([&](OptionsDialog& d) {
            QCOMPARE(d.optCongifuration[set]->text(), QString(QTest::currentDataTag()));
            if (set == 4) // the set of a new database: another one first, so the choice shows
                choose(d.optCongifuration[0]);
            choose(d.optCongifuration[set]);
            QStringList shown;
            for (QLineEdit* box : d.txtSnapShot)
                shown << box->text();
            QCOMPARE(shown, labels);
            QCOMPARE(allConfig(), before); // choosing a set stores nothing yet
            d.cmdOK->click();
        });
        for (int i = 0; i < 8; ++i)
            QCOMPARE(stored(OptionsModel::snapshotKey(i)), labels[i]);
    }

    // Apply stores, Cancel then keeps what Apply stored, and the main window
    // shows the meals as renamed (its chosen meal and the diet tree's captions).
    void valuesAreStoredAsTheyAreKept_data()
    {
        QTest::addColumn<QString>("other1"); // as typed, then as kept (and shown after Apply)
        QTest::addColumn<QString>("kept");
        const QString fish = QString::fromUtf8("\xF0\x9F\x90\x9F"); // two UTF-16 units
        QTest::newRow("13 characters") << "Monounsatura1" << "Monounsatu";
        QTest::newRow("a pair across the cut") << "Omega-3 w" + fish << "Omega-3 w";
    }
    void valuesAreStoredAsTheyAreKept()
    {
        QFETCH(QString, other1);
        QFETCH(QString, kept);
        w().dietTree().loadDietDay(QDate(2003, 5, 12));
        w().cmbMeal->setCurrentIndex(3);
        withOptions([&](OptionsDialog& d) {
            d.txtOther1->setText(other1);
            retype(d.txtUser[1], "  Bob ");
            retype(d.txtMealDesc[1], "Midday");
            d.txtMealDesc[4]->setText("  \tBrunch\n ");
            retype(d.txtSnapShot[5], " Hips ");
            d.cmdApply->click();
            QVERIFY(d.isVisible());
            QCOMPARE(d.txtOther1->text(), kept);
            d.cmdCancel->click();
        });
        // Labels cut safely, user names as typed, the rest trimmed of spaces (and of nothing else).
        QCOMPARE(stored("OTHER1"), kept);
        QCOMPARE(QStringList({stored("USER2"), stored("MEAL4"), stored("SNAPSHOT6"), marked()}),
                 (QStringList{"  Bob ", "\tBrunch\n", "Hips", "USER1"}));
        QStringList entries{w().cmbMeal->currentText(),
                            DietTreeModel::caption(w().dietTree().model().node("MLMEAL1DT20030512"))};
        for (int i = 0; i < w().cmbMeal->count(); ++i)
            entries << w().cmbMeal->itemText(i);
        QCOMPARE(entries, (QStringList{"Dinner", "Midday", "Select a Meal", "Breakfast", "Midday", "Dinner", "Snack",
                                       "\tBrunch\n"}));
    }

    // The dialog shows the stored options; a user chosen by Apply stays current after Cancel.
    void userChosenByApplyStaysCurrentAfterCancel()
    {
        DietTreeModel& days = w().dietTree().model();
        const QPersistentModelIndex day = days.index(0, 0);
        withOptions([&](OptionsDialog& d) {
            QStringList shown{d.windowTitle(), d.txtUser[1]->text(), d.txtMealDesc[3]->text(), d.txtSnapShot[3]->text()};
            for (int i = 0; i < d.tabOptions->count(); ++i)
                shown << d.tabOptions->tabText(i) + "|" + d.tabOptions->tabToolTip(i);
            QCOMPARE(shown, (QStringList{"Configuration Options", "User 2", "Snack", "Thighs",
                                         "Multi User Configuration|Set up user names and select current user",
                                         "Optional Field Labels|Set labels for optional nutrient fields",
                                         "Meal Definition|Define Meal Names",
                                         "Snapshot Field Labels|Set labels for Shapshot values",
                                         "Daily Goals|Set each user's daily nutrient goals"}));
            QVERIFY(d.optUser[0]->isChecked());
            retype(d.txtUser[0], "Alice"); // renaming the current user does not rebuild the tree
            d.cmdApply->click();
            QCOMPARE(QModelIndex(day), days.index(0, 0));
            retype(d.txtUser[2], "Carol");
            choose(d.optUser[2]);
            d.cmdApply->click();
            d.cmdCancel->click();
        });
        QCOMPARE(f->ctx().currentUser + "|" + w().statusPanel2->text(), QString("USER3|User:  Carol"));
        QCOMPARE(DietTreeModel::caption(days.index(0, 0)) + "|" + QString::number(days.rowCount()),
                 QString("2003-05-13|1"));
        // Exactly one USER row carries the mark, so the next start finds the same user.
        QCOMPARE(marked() + "|" + f->ctx().config().findCurrentUser(), QString("USER3|USER3"));
    }

    // Each user's goals in turn, under the names and labels the other pages
    // give; the reference values fill the fixed nutrients only; Apply stores
    // the goals typed, as numbers, and adds no item for a goal left blank.
    void goalsOfEachUser()
    {
        const int items = f->test.scalar("SELECT count(*) FROM CONFIG").toInt();
        withOptions([&](OptionsDialog& d) {
            GoalsPage* page = d.goalsPage;
            const auto shown = [page] {
                QStringList texts{page->cmbGoalUser->currentText(), page->lblGoal[6]->text(), page->lblGoal[7]->text()};
                for (QLineEdit* box : page->txtGoal)
                    texts << box->text();
                return texts;
            };
            QCOMPARE(page->cmbGoalUser->currentText(), QString("User 1"));
            retype(d.txtUser[2], "Carol");
            retype(d.txtOther1, "Fibre");
            retype(page->txtGoal[3], " 1800 ");
            page->cmbGoalUser->setCurrentIndex(2);
            QCOMPARE(shown(), (QStringList{"Carol", "Fibre", "Sugars"} + QStringList(8, "")));
            retype(page->txtGoal[6], "25");
            retype(page->txtGoal[0], "60");
            page->cmdReferenceValues->click();
            QCOMPARE(shown().mid(3), (QStringList{"78", "50", "275", "2000", "2300", "300", "25", ""}));
            page->cmbGoalUser->setCurrentIndex(0);
            QCOMPARE(page->txtGoal[3]->text(), QString(" 1800 "));
            d.cmdApply->click();
            QCOMPARE(page->txtGoal[3]->text(), QString("1800"));
        });
        QCOMPARE(f->prompts().count(), 0);
        QStringList goals;
        for (const QVariantList& row :
             f->test.rows("SELECT ConfigItem, ConfigValue FROM CONFIG WHERE ConfigItem LIKE 'GOAL%' ORDER BY rowid"))
            goals << row[0].toString() + "=" + row[1].toString();
        QCOMPARE(goals, (QStringList{"GOAL1CALORIE=1800", "GOAL3FAT=78", "GOAL3PROTEIN=50", "GOAL3CARBOHYDRATE=275",
                                     "GOAL3CALORIE=2000", "GOAL3SODIUM=2300", "GOAL3CHOLESTEROL=300", "GOAL3OTHER1=25"}));
        QCOMPARE(f->test.scalar("SELECT count(*) FROM CONFIG").toInt(), items + goals.size());
    }

    // A goal that is refused is named and shown to be mended; nothing is stored.
    void goalRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString goal = "The Daily Goal for Sodium of Bob";
        QTest::newRow("text") << "lots" << goal + ", \"lots\", is not a number. Enter a number such as 1800, or leave the box blank for no goal.";
        QTest::newRow("negative") << "-5" << goal + " cannot be negative. Enter 0 or more, or leave the box blank for no goal.";
        QTest::newRow("too large") << "1e7" << goal + ", 1e7, cannot be shown in full. A goal has at most 7 digits before the decimal point and 3 after it.";
    }
    void goalRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        const QList<QVariantList> before = allConfig();
        withOptions([&](OptionsDialog& d) {
            GoalsPage* page = d.goalsPage;
            retype(d.txtUser[1], "Bob");
            retype(page->txtGoal[3], "1800");
            page->cmbGoalUser->setCurrentIndex(1);
            retype(page->txtGoal[4], text);
            page->cmbGoalUser->setCurrentIndex(0);
            d.tabOptions->setCurrentIndex(0);
            d.cmdOK->click();
            QVERIFY(d.isVisible());
            QCOMPARE(d.tabOptions->currentWidget(), page);
            QCOMPARE(page->cmbGoalUser->currentIndex(), 1);
            QCOMPARE(d.focusWidget(), page->txtGoal[4]);
            QCOMPARE(page->txtGoal[4]->selectedText(), text);
        });
        QCOMPARE(f->prompts().texts(), QStringList{message});
        QCOMPARE(f->prompts().last().icon, PromptIcon::Exclamation);
        QCOMPARE(allConfig(), before);
    }

    void missingValueRefused_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::newRow("user of spaces") << "txtUser1" << "   ";
        QTest::newRow("empty label") << "txtOther2" << "";
    }
    void missingValueRefused()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        const QList<QVariantList> before = allConfig();
        withOptions([&](OptionsDialog& d) {
            retype(d.txtMealDesc[0], "Early");
            choose(d.optUser[1]);
            retype(d.findChild<QLineEdit*>(box), text);
            d.cmdOK->click();
            d.cmdApply->click();
            QVERIFY(d.isVisible());
        });
        QCOMPARE(f->prompts().texts(), QStringList(2, "You must enter a value for all Configuration Items"));
        QCOMPARE(f->prompts().last().icon, PromptIcon::None);
        QCOMPARE(allConfig(), before);
        QCOMPARE(f->ctx().currentUser, QString("USER1"));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "tst_optionsdialog.moc"

#include "app/configstore.h"
#include "diet/diettree.h"
#include "mainwindowfixture.h"
#include "options/optionsdialog.h"
#include "options/optionsmodel.h"
#include "ui/nodetree.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

// Opens Tools > Configuration Options and runs steps on the dialog while it is
// shown; whatever the steps leave open is cancelled.
bool withOptions(MainWindowFixture& f, const std::function<void(OptionsDialog&)>& steps)
{
    bool ran = false;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<OptionsDialog*>(modal);
        if (dialog) {
            ran = true;
            steps(*dialog);
        }
        if (modal->isVisible())
            modal->close();
    });
    f.main().toolsOptions();
    return ran;
}

void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Clicks an option button on its indicator (its text may not fill the button).
void choose(QRadioButton* option)
{
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
}

QString stored(MainWindowFixture& f, const QString& item)
{
    return f.test.scalar(QStringLiteral("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = ?"), {item})
        .toString();
}

QStringList storedSnapshotLabels(MainWindowFixture& f)
{
    QStringList labels;
    for (int i = 0; i < 8; ++i)
        labels << stored(f, OptionsModel::snapshotKey(i));
    return labels;
}

QList<QVariantList> allConfig(MainWindowFixture& f)
{
    return f.test.rows(
        QStringLiteral("SELECT ConfigItem, ConfigValue, SelectedConfig FROM CONFIG ORDER BY rowid"));
}

QStringList dayCaptions(const NodeTree* tree)
{
    QStringList days;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        days << tree->topLevelItem(i)->text(0);
    return days;
}

} // namespace

// The options dialog through its widgets, and the main window's follow-up.
class OptionsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void tabsCaptionsAndTips()
    {
        MainWindowFixture f;
        f.load();
        QVERIFY(withOptions(f, [](OptionsDialog& d) {
            QCOMPARE(d.windowTitle(), QString("Configuration Options"));
            const QStringList captions = {"Multi User Configuration", "Optional Field Labels",
                                          "Meal Definition", "Snapshot Field Labels"};
            const QStringList tips = {"Set up user names and select current user",
                                      "Set labels for optional nutrient fields", "Define Meal Names",
                                      "Set labels for Shapshot values"};
            QCOMPARE(d.tabOptions->count(), 4);
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(d.tabOptions->tabText(i), captions[i]);
                QCOMPARE(d.tabOptions->tabToolTip(i), tips[i]);
            }
            // Loaded from the configuration, the current user marked.
            QCOMPARE(d.txtUser[1]->text(), QString("User 2"));
            QVERIFY(d.optUser[0]->isChecked());
            QCOMPARE(d.txtOther1->text(), QString("Fiber"));
            QCOMPARE(d.txtMealDesc[3]->text(), QString("Snack"));
            QCOMPARE(d.txtMealDesc[4]->text(), QString());
            QCOMPARE(d.txtSnapShot[3]->text(), QString("Thighs"));
        }));
    }

    void preConfiguredSets_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("Body Building")
            << 0 << QStringList{"Weight", "Waist", "Chest", "Biceps", "Shoulders", "", "", ""};
        QTest::newRow("Cardiology") << 1 << QStringList{"Weight", "Cholesterol",    "Pulse", "", "",
                                                        "",       "Blood Pressure", ""};
        QTest::newRow("Diabetic") << 2 << QStringList{"Weight", "Blood Glucose",  "", "", "",
                                                      "",       "Blood Pressure", ""};
        QTest::newRow("Renal") << 3
                               << QStringList{"Weight", "Creatine", "", "", "", "", "Blood Pressure", ""};
        QTest::newRow("Weight Loss") << 4
                                     << QStringList{"Weight", "Waist", "Chest", "Thighs", "", "", "", ""};
    }

    void preConfiguredSets()
    {
        QFETCH(int, set);
        QFETCH(QStringList, labels);
        MainWindowFixture f;
        for (int i = 0; i < 8; ++i)
            f.ctx().config().setConfig(OptionsModel::snapshotKey(i), QStringLiteral("Label %1").arg(i + 1),
                                       false);
        f.load();
        const QStringList before = storedSnapshotLabels(f);

        QVERIFY(withOptions(f, [&](OptionsDialog& d) {
            d.tabOptions->setCurrentIndex(3);
            choose(d.optCongifuration[set]);
            QStringList shown;
            for (QLineEdit* box : d.txtSnapShot)
                shown << box->text();
            QCOMPARE(shown, labels);
            // Choosing a set stores nothing yet.
            QCOMPARE(storedSnapshotLabels(f), before);
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
            QVERIFY(!d.isVisible());
        }));
        QCOMPARE(storedSnapshotLabels(f), labels);
        QCOMPARE(f.prompts().count(), 0);
    }

    void setChosenThenCancelledStoresNothing()
    {
        MainWindowFixture f;
        f.load();
        const QList<QVariantList> before = allConfig(f);
        QVERIFY(withOptions(f, [](OptionsDialog& d) {
            choose(d.optCongifuration[3]);
            QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        }));
        QCOMPARE(allConfig(f), before);
    }

    void optionalLabelKeptToTenCharacters()
    {
        MainWindowFixture f;
        f.load();
        QVERIFY(withOptions(f, [&](OptionsDialog& d) {
            d.tabOptions->setCurrentIndex(1);
            retype(d.txtOther1, "Monounsatura1");
            retype(d.txtOther2, "Vitamin C");
            QTest::mouseClick(d.cmdApply, Qt::LeftButton);
            QVERIFY(d.isVisible());
            QCOMPARE(d.txtOther1->text(), QString("Monounsatu"));
            QCOMPARE(d.txtOther2->text(), QString("Vitamin C"));
            QCOMPARE(stored(f, "OTHER1"), QString("Monounsatu"));
            QCOMPARE(stored(f, "OTHER2"), QString("Vitamin C"));
            QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        }));
        // Cancel keeps what Apply stored.
        QCOMPARE(stored(f, "OTHER1"), QString("Monounsatu"));
    }

    void valuesStoredAsTheyAreKept()
    {
        MainWindowFixture f;
        f.load();
        QVERIFY(withOptions(f, [&](OptionsDialog& d) {
            retype(d.txtUser[1], "  Bob ");
            retype(d.txtMealDesc[4], "  Brunch ");
            retype(d.txtMealDesc[3], "   ");
            retype(d.txtSnapShot[5], " Hips ");
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        }));
        // User names as typed; meal and snapshot labels trimmed.
        QCOMPARE(stored(f, "USER2"), QString("  Bob "));
        QCOMPARE(stored(f, "MEAL4"), QString("Brunch"));
        QCOMPARE(stored(f, "MEAL3"), QString());
        QCOMPARE(stored(f, "SNAPSHOT6"), QString("Hips"));
        QCOMPARE(f.test.scalar("SELECT count(*) FROM CONFIG WHERE SelectedConfig <> 0").toInt(), 1);
        QCOMPARE(f.test.scalar("SELECT ConfigItem FROM CONFIG WHERE SelectedConfig <> 0").toString(),
                 QString("USER1"));
    }

    void userChosenByApplyStaysCurrentAfterCancel()
    {
        MainWindowFixture f;
        f.test.addDietRow("USER1", QDate(2003, 5, 12), "", "Toast");
        f.test.addDietRow("USER3", QDate(2003, 5, 13), "MEAL0", "Egg");
        f.test.addDietRow("USER3", QDate(2003, 5, 14), "", "Tea");
        f.load();
        QCOMPARE(dayCaptions(f.main().tvwDiet), QStringList{"2003-05-12"});

        QVERIFY(withOptions(f, [&](OptionsDialog& d) {
            retype(d.txtUser[2], "Carol");
            choose(d.optUser[2]);
            QTest::mouseClick(d.cmdApply, Qt::LeftButton);
            QCOMPARE(f.ctx().currentUser, QString("USER3"));
            QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        }));
        QCOMPARE(f.ctx().currentUser, QString("USER3"));
        QCOMPARE(f.main().statusPanel2->text(), QString("User:  Carol"));
        QCOMPARE(dayCaptions(f.main().tvwDiet), (QStringList{"2003-05-13", "2003-05-14"}));
        QCOMPARE(
            f.test.scalar("SELECT group_concat(ConfigItem) FROM CONFIG WHERE SelectedConfig <> 0").toString(),
            QString("USER3"));
        // The next start finds the same user.
        QCOMPARE(f.ctx().config().findCurrentUser(), QString("USER3"));
    }

    void renamingTheCurrentUserKeepsTheDietTree()
    {
        MainWindowFixture f;
        f.test.addDietRow("USER1", QDate(2003, 5, 12), "", "Toast");
        f.load();
        f.main().dietTree().loadDietDay(QDate(2003, 5, 12));
        QTreeWidgetItem* day = f.main().tvwDiet->node("DT20030512");
        QCOMPARE(day->childCount(), 1);

        QVERIFY(withOptions(f, [](OptionsDialog& d) {
            retype(d.txtUser[0], "Alice");
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        }));
        QCOMPARE(f.main().statusPanel2->text(), QString("User:  Alice"));
        // Not rebuilt: the opened day is the same node, still open.
        QCOMPARE(f.main().tvwDiet->node("DT20030512"), day);
        QCOMPARE(day->childCount(), 1);
    }

    void renamedMealsReachTheMainWindow()
    {
        MainWindowFixture f;
        f.test.addDietRow("USER1", QDate(2003, 5, 12), "MEAL1", "Soup");
        f.load();
        f.main().dietTree().loadDietDay(QDate(2003, 5, 12));
        QCOMPARE(f.main().tvwDiet->node("MLMEAL1DT20030512")->text(0), QString("Lunch"));
        f.main().cmbMeal->setCurrentIndex(3);
        QCOMPARE(f.main().cmbMeal->currentText(), QString("Dinner"));

        QVERIFY(withOptions(f, [](OptionsDialog& d) {
            retype(d.txtMealDesc[1], "Midday");
            retype(d.txtMealDesc[5], "Supper");
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        }));
        QStringList entries;
        for (int i = 0; i < f.main().cmbMeal->count(); ++i)
            entries << f.main().cmbMeal->itemText(i);
        QCOMPARE(entries, (QStringList{"Select a Meal", "Breakfast", "Midday", "Dinner", "Snack", "Supper"}));
        QCOMPARE(f.main().cmbMeal->currentText(), QString("Dinner"));
        QCOMPARE(f.main().tvwDiet->node("MLMEAL1DT20030512")->text(0), QString("Midday"));
    }

    void mealEditsCount_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("changed");
        QTest::newRow("meal typed and removed") << "txtMealDesc4" << true;
        QTest::newRow("user typed and removed") << "txtUser1" << false;
        QTest::newRow("snapshot typed and removed") << "txtSnapShot2" << false;
    }

    void mealEditsCount()
    {
        QFETCH(QString, box);
        QFETCH(bool, changed);
        TestContext test;
        OptionsDialog dialog(test.ctx());
        dialog.show();
        QCOMPARE(dialog.mealsChanged(), false);
        auto* edit = dialog.findChild<QLineEdit*>(box);
        QVERIFY(edit);
        const QString before = edit->text();
        edit->setFocus();
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_X);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), before);
        QCOMPARE(dialog.mealsChanged(), changed);
        QCOMPARE(dialog.userChanged(), false);
    }

    void mealChangeUndoneStillRefreshesTheMainWindow()
    {
        MainWindowFixture f;
        f.load();
        QVERIFY(withOptions(f, [&](OptionsDialog& d) {
            QTest::keyClicks(d.txtMealDesc[0], "x");
            QTest::keyClick(d.txtMealDesc[0], Qt::Key_Backspace);
            // Stored meanwhile by other means: only the refill can show it.
            f.ctx().config().setConfig("MEAL6", "Tea Time", false);
            QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        }));
        QCOMPARE(f.main().cmbMeal->itemText(f.main().cmbMeal->count() - 1), QString("Tea Time"));
    }

    void missingValueRefused_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::newRow("user of spaces") << "txtUser1"
                                        << "   ";
        QTest::newRow("empty user") << "txtUser3"
                                    << "";
        QTest::newRow("empty label 1") << "txtOther1"
                                       << "";
        QTest::newRow("label 2 of spaces") << "txtOther2"
                                           << "  ";
    }

    void missingValueRefused()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        MainWindowFixture f;
        f.load();
        const QList<QVariantList> before = allConfig(f);
        QVERIFY(withOptions(f, [&](OptionsDialog& d) {
            retype(d.txtMealDesc[0], "Early");
            choose(d.optUser[1]);
            retype(d.findChild<QLineEdit*>(box), text);
            QTest::mouseClick(d.cmdOK, Qt::LeftButton);
            QVERIFY(d.isVisible());
            QTest::mouseClick(d.cmdApply, Qt::LeftButton);
            QVERIFY(d.isVisible());
            QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        }));
        QCOMPARE(f.prompts().count(), 2);
        const Prompt shown = f.prompts().last();
        QCOMPARE(shown.text, QString("You must enter a value for all Configuration Items"));
        QCOMPARE(shown.icon, PromptIcon::None);
        QCOMPARE(shown.buttons, PromptButtons::Ok);
        QCOMPARE(allConfig(f), before);
        QCOMPARE(f.ctx().currentUser, QString("USER1"));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "tst_optionsdialog.moc"

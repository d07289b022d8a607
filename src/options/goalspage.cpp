#include "options/goalspage.h"

#include "app/configstore.h"
#include "goals/dailygoals.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

GoalsPage::GoalsPage(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("frmGoals"));
    auto* grid = new QGridLayout(this);

    cmbGoalUser = new QComboBox;
    cmbGoalUser->setObjectName(QStringLiteral("cmbGoalUser"));
    for (int i = 0; i < OptionsValues::kUsers; ++i)
        cmbGoalUser->addItem(QStringLiteral("User %1").arg(i + 1));
    auto* userLabel = new QLabel(QStringLiteral("User:"));
    userLabel->setBuddy(cmbGoalUser);
    grid->addWidget(userLabel, 0, 0);
    grid->addWidget(cmbGoalUser, 0, 1, 1, 2);
    connect(cmbGoalUser, &QComboBox::currentIndexChanged, this, &GoalsPage::setUser);

    for (int n = 0; n < kNutrientCount; ++n) {
        txtGoal[n] = new QLineEdit;
        txtGoal[n]->setObjectName(QStringLiteral("txtGoal%1").arg(n));
        txtGoal[n]->setAlignment(Qt::AlignRight);
        txtGoal[n]->setMaxLength(ConfigStore::kValueLength);
        lblGoal[n] = new QLabel(DailyGoals::caption(n, QString(), QString()));
        lblGoal[n]->setBuddy(txtGoal[n]);
        grid->addWidget(lblGoal[n], n + 1, 0);
        grid->addWidget(txtGoal[n], n + 1, 1);
        grid->addWidget(new QLabel(DailyGoals::unit(n)), n + 1, 2);
    }
    for (int other : {0, 1})
        setOtherLabel(other, QString());

    cmdReferenceValues = new QPushButton(QStringLiteral("Use Reference Values"));
    cmdReferenceValues->setObjectName(QStringLiteral("cmdReferenceValues"));
    cmdReferenceValues->setToolTip(
        QStringLiteral("Fill the six fixed nutrients with the US Daily Values for a 2,000 kcal diet"));
    connect(cmdReferenceValues, &QPushButton::clicked, this, &GoalsPage::useReferenceValues);
    grid->addWidget(cmdReferenceValues, 1, 4);

    auto* note = new QLabel(QStringLiteral(
        "A goal left blank is no goal. View Diet Totals, the diet report and the diet graph show how each "
        "day measures up to the goals of the current user. The reference values are the US Daily Values for "
        "a 2,000 kcal diet; nothing is stored until OK or Apply."));
    note->setWordWrap(true);
    grid->addWidget(note, kNutrientCount + 1, 0, 1, 5);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(kNutrientCount + 2, 1);
}

void GoalsPage::keepShown()
{
    for (int n = 0; n < kNutrientCount; ++n)
        m_goals[m_user][n] = txtGoal[n]->text();
}

void GoalsPage::setGoals(const AllGoals& goals, int user)
{
    m_goals = goals;
    m_user = user;
    for (int n = 0; n < kNutrientCount; ++n)
        txtGoal[n]->setText(m_goals[user][n]);
    const QSignalBlocker quiet(cmbGoalUser);
    cmbGoalUser->setCurrentIndex(user);
}

GoalsPage::AllGoals GoalsPage::goals() const
{
    AllGoals goals = m_goals;
    for (int n = 0; n < kNutrientCount; ++n)
        goals[m_user][n] = txtGoal[n]->text();
    return goals;
}

void GoalsPage::setUser(int user)
{
    if (user < 0 || user >= OptionsValues::kUsers)
        return;
    keepShown();
    setGoals(m_goals, user);
}

void GoalsPage::setUserName(int user, const QString& name)
{
    const QString shown = ConfigStore::trimSpaces(name);
    cmbGoalUser->setItemText(user, shown.isEmpty() ? QStringLiteral("User %1").arg(user + 1) : shown);
}

void GoalsPage::setOtherLabel(int other, const QString& label)
{
    const QString shown = ConfigStore::trimSpaces(label);
    lblGoal[6 + other]->setText(shown.isEmpty() ? QStringLiteral("Optional Field %1").arg(other + 1) : shown);
}

void GoalsPage::showGoal(int user, int nutrient)
{
    setUser(user);
    txtGoal[nutrient]->setFocus();
    txtGoal[nutrient]->selectAll();
}

void GoalsPage::useReferenceValues()
{
    // Only the fixed nutrients have reference values; the optional two stay as typed.
    const DailyGoals reference = DailyGoals::referenceValues();
    for (int n = 0; n < kNutrientCount; ++n) {
        if (reference.goal(n))
            txtGoal[n]->setText(DailyGoals::text(reference.goal(n)));
    }
}

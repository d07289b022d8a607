#include "options/optionsdialog.h"

#include "app/configstore.h"
#include "options/goalspage.h"
#include "options/snapshotlabelsets.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLineEdit* labelledEdit(QGridLayout* grid, int row, int column, const QString& caption, const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    auto* label = new QLabel(caption);
    label->setBuddy(edit);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
    return edit;
}

// The container of one tab's controls; the tab itself draws the frame.
QFrame* tabFrame(const char* name)
{
    auto* frame = new QFrame;
    frame->setObjectName(QLatin1String(name));
    return frame;
}

QLabel* note(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

} // namespace

OptionsDialog::OptionsDialog(AppContext& context, QWidget* parent) : QDialog(parent), m_model(context)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Configuration Options"));

    tabOptions = new QTabWidget(this);
    tabOptions->setObjectName(QStringLiteral("tabOptions"));
    tabOptions->setAccessibleName(windowTitle());
    // All four tabs stay in view.
    tabOptions->setUsesScrollButtons(false);
    const struct
    {
        QWidget* page;
        const char* caption;
        const char* tip;
    } tabs[] = {
        {buildUsers(), "Multi User Configuration", "Set up user names and select current user"},
        {buildOptionalFields(), "Optional Field Labels", "Set labels for optional nutrient fields"},
        {buildMeals(), "Meal Definition", "Define Meal Names"},
        {buildSnapshots(), "Snapshot Field Labels", "Set labels for Shapshot values"},
        {goalsPage = new GoalsPage, "Daily Goals", "Set each user's daily nutrient goals"},
    };
    for (const auto& tab : tabs) {
        const int index = tabOptions->addTab(tab.page, QLatin1String(tab.caption));
        tabOptions->setTabToolTip(index, QLatin1String(tab.tip));
    }

    auto* buttons = new QDialogButtonBox(this);
    cmdOK = buttons->addButton(QDialogButtonBox::Ok);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = buttons->addButton(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setText(QStringLiteral("Cancel"));
    cmdApply = buttons->addButton(QDialogButtonBox::Apply);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdApply->setText(QStringLiteral("&Apply"));
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        if (save())
            accept();
    });
    connect(cmdApply, &QPushButton::clicked, this, [this] { save(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabOptions);
    layout->addWidget(buttons);

    // The goals page names the users and the optional nutrients as the boxes do.
    for (int i = 0; i < OptionsValues::kUsers; ++i)
        connect(txtUser[i], &QLineEdit::textChanged, goalsPage, [this, i](const QString& name) {
            goalsPage->setUserName(i, name);
        });
    connect(txtOther1, &QLineEdit::textChanged, goalsPage, [this](const QString& label) {
        goalsPage->setOtherLabel(0, label);
    });
    connect(txtOther2, &QLineEdit::textChanged, goalsPage, [this](const QString& label) {
        goalsPage->setOtherLabel(1, label);
    });
    showValues(m_model.load());
    // Only edits after loading count as meal changes.
    for (QLineEdit* meal : txtMealDesc)
        connect(meal, &QLineEdit::textChanged, this, [this] { m_mealsChanged = true; });
}

QWidget* OptionsDialog::buildUsers()
{
    QFrame* frame = tabFrame("frmUser");
    auto* grid = new QGridLayout(frame);
    m_users = new QButtonGroup(this);
    for (int i = 0; i < OptionsValues::kUsers; ++i) {
        txtUser[i] = labelledEdit(grid, i, 0, QStringLiteral("User %1").arg(i + 1),
                                  QStringLiteral("txtUser%1").arg(i));
        txtUser[i]->setMaxLength(ConfigStore::kValueLength);
        optUser[i] = new QRadioButton(QStringLiteral("Current User"));
        optUser[i]->setObjectName(QStringLiteral("optUser%1").arg(i));
        // Four buttons of one caption, told apart for a screen reader by their row.
        optUser[i]->setAccessibleName(QStringLiteral("Current User: User %1").arg(i + 1));
        m_users->addButton(optUser[i], i);
        grid->addWidget(optUser[i], i, 2);
    }
    grid->addWidget(
        note(QStringLiteral("The diet log, the snapshots, the reports and the purges always work on the "
                            "Current User.")),
        OptionsValues::kUsers, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(OptionsValues::kUsers + 1, 1);
    return frame;
}

QWidget* OptionsDialog::buildOptionalFields()
{
    QFrame* frame = tabFrame("frmOptions");
    auto* grid = new QGridLayout(frame);
    txtOther1 =
        labelledEdit(grid, 0, 0, QStringLiteral("Optional Field 1 Label"), QStringLiteral("txtOther1"));
    txtOther2 =
        labelledEdit(grid, 1, 0, QStringLiteral("Optional Field 2 Label"), QStringLiteral("txtOther2"));
    const QString tip = QStringLiteral("Up to %1 characters are kept").arg(OptionsModel::kOtherLabelLength);
    txtOther1->setToolTip(tip);
    txtOther2->setToolTip(tip);
    grid->addWidget(note(QStringLiteral("These labels name the two optional nutrients wherever nutrients are "
                                        "shown. Only the first %1 characters of a label are kept.")
                             .arg(OptionsModel::kOtherLabelLength)),
                    2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    return frame;
}

QWidget* OptionsDialog::buildMeals()
{
    QFrame* frame = tabFrame("frmMeals");
    auto* grid = new QGridLayout(frame);
    constexpr int rows = OptionsValues::kMeals / 2;
    for (int i = 0; i < OptionsValues::kMeals; ++i) {
        txtMealDesc[i] = labelledEdit(grid, i % rows, i / rows * 2, QStringLiteral("Meal %1").arg(i + 1),
                                      QStringLiteral("txtMealDesc%1").arg(i));
        txtMealDesc[i]->setMaxLength(ConfigStore::kValueLength);
    }
    grid->addWidget(note(QStringLiteral("Blank Meal Names will not show up in the Meal List.")), rows, 0, 1,
                    4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(rows + 1, 1);
    return frame;
}

QWidget* OptionsDialog::buildSnapshots()
{
    QFrame* frame = tabFrame("frmSnapshot");

    auto* numeric = new QGroupBox(QStringLiteral("Labels for Numeric Snapshot Values"));
    auto* numericGrid = new QGridLayout(numeric);
    auto* text = new QGroupBox(QStringLiteral("Labels for Character Snapshot Values"));
    auto* textGrid = new QGridLayout(text);
    for (int i = 0; i < OptionsValues::kSnapshotLabels; ++i) {
        QGridLayout* grid = i < 6 ? numericGrid : textGrid;
        txtSnapShot[i] = labelledEdit(grid, i < 6 ? i : i - 6, 0, QStringLiteral("Value %1").arg(i + 1),
                                      QStringLiteral("txtSnapShot%1").arg(i));
        txtSnapShot[i]->setMaxLength(ConfigStore::kValueLength);
    }

    auto* sets = new QGroupBox(QStringLiteral("Pre-Configured Snapshot Labels"));
    auto* setsLayout = new QVBoxLayout(sets);
    for (int i = 0; i < int(snapshotLabelSets().size()); ++i) {
        optCongifuration[i] = new QRadioButton(snapshotLabelSets()[i].caption);
        optCongifuration[i]->setObjectName(QStringLiteral("optCongifuration%1").arg(i));
        // A click fills the boxes, even on the set chosen last, so edited labels can be put back.
        connect(optCongifuration[i], &QRadioButton::clicked, this, [this, i] { chooseLabelSet(i); });
        setsLayout->addWidget(optCongifuration[i]);
    }
    setsLayout->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(numeric);
    left->addWidget(text);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(sets);
    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(columns);
    layout->addWidget(note(QStringLiteral(
        "Leaving a label blank will prevent it from appearing on the Snapshot entry screen and reports.")));
    return frame;
}

void OptionsDialog::chooseLabelSet(int index)
{
    const SnapshotLabelSet& set = snapshotLabelSets()[index];
    for (int i = 0; i < OptionsValues::kSnapshotLabels; ++i)
        txtSnapShot[i]->setText(set.labels[i]);
}

void OptionsDialog::showValues(const OptionsValues& values)
{
    txtOther1->setText(values.other1);
    txtOther2->setText(values.other2);
    for (int i = 0; i < OptionsValues::kUsers; ++i)
        txtUser[i]->setText(values.users[i]);
    optUser[values.currentUser]->setChecked(true);
    for (int i = 0; i < OptionsValues::kMeals; ++i)
        txtMealDesc[i]->setText(values.meals[i]);
    for (int i = 0; i < OptionsValues::kSnapshotLabels; ++i)
        txtSnapShot[i]->setText(values.snapshots[i]);
    goalsPage->setGoals(values.goals, values.currentUser);
}

OptionsValues OptionsDialog::values() const
{
    OptionsValues values;
    values.other1 = txtOther1->text();
    values.other2 = txtOther2->text();
    for (int i = 0; i < OptionsValues::kUsers; ++i)
        values.users[i] = txtUser[i]->text();
    values.currentUser = m_users->checkedId();
    for (int i = 0; i < OptionsValues::kMeals; ++i)
        values.meals[i] = txtMealDesc[i]->text();
    for (int i = 0; i < OptionsValues::kSnapshotLabels; ++i)
        values.snapshots[i] = txtSnapShot[i]->text();
    values.goals = goalsPage->goals();
    return values;
}

bool OptionsDialog::save()
{
    OptionsValues edited = values();
    if (!m_model.save(edited)) {
        if (const std::optional<OptionsModel::GoalPlace> goal = m_model.refusedGoal()) {
            tabOptions->setCurrentWidget(goalsPage);
            goalsPage->showGoal(goal->user, goal->nutrient);
        }
        return false;
    }
    // The boxes show what was stored.
    txtOther1->setText(edited.other1);
    txtOther2->setText(edited.other2);
    goalsPage->setGoals(edited.goals, goalsPage->user());
    return true;
}

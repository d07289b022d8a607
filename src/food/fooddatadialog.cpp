#include "food/fooddatadialog.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/numbers.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "food/foodcatalogue.h"
#include "widgets/accessiblecombobox.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The boxes in the order they are laid out (two a row), with their names,
// captions and the nutrient each one holds.
struct Box
{
    const char* name;
    const char* caption;
    int nutrient;
};
const Box kBoxes[] = {
    {"txtFat", "Fat", 0},       {"txtCarbs", "Carbs", 2},       {"txtProtein", "Protein", 1},
    {"txtSodium", "Sodium", 4}, {"txtCalories", "Calories", 3}, {"txtCholesterol", "Cholesterol", 5},
    {"txtOther1", nullptr, 6},  {"txtOther2", nullptr, 7},
};
// Fat, Protein, Carbohydrate, Calorie, Sodium and Cholesterol come from USDA.
constexpr int kStandardNutrients = 6;

} // namespace

FoodDataDialog::FoodDataDialog(AppContext& context, bool newFood, QWidget* parent)
    : QDialog(parent), m_context(context), m_newFood(newFood)
{
    setObjectName(QStringLiteral("frmFoodData"));
    setWindowTitle(QStringLiteral("Food Item Details"));
    setModal(true);

    OrvDataSource& ds = context.dataSource();
    const Recordset& food = ds.rsFoods;
    m_kind = foodKind(food.integer(QStringLiteral("FoodId")), food.integer(QStringLiteral("USDA_NDB_NO")));
    m_stored = Nutrients::read(food);
    m_storedGrams = food.number(QStringLiteral("USDA_GM_WT"));

    auto label = [this](const QString& caption, const char* name = nullptr) {
        auto* l = new QLabel(caption, this);
        if (name)
            l->setObjectName(QLatin1String(name));
        return l;
    };

    txtFoodName = new QLineEdit(this);
    txtFoodName->setObjectName(QStringLiteral("txtFoodName"));
    txtFoodName->setMaxLength(FoodCatalogue::kFoodNameLength);
    txtFoodName->setMinimumWidth(420);
    txtFoodName->installEventFilter(this);

    cmbServSize = new QComboBox(this);
    cmbServSize->setObjectName(QStringLiteral("cmbServSize"));
    cmbServSize->setEditable(true);
    cmbServSize->setInsertPolicy(QComboBox::NoInsert);

    cmbGroups = new QComboBox(this);
    cmbGroups->setObjectName(QStringLiteral("cmbGroups"));
    cmbGroups->setPlaceholderText(QStringLiteral("Select a Food Group"));

    // Name, serving size and group each take a full row: USDA measure texts
    // such as 1 extra small (2-1/2" dia) must be readable whole.
    auto* top = new QGridLayout();
    const std::pair<const char*, QWidget*> fields[] = {
        {"Food Name", txtFoodName}, {"Serving Size", cmbServSize}, {"Food Group", cmbGroups}};
    for (int row = 0; row < 3; ++row) {
        QLabel* caption = label(QLatin1String(fields[row].first));
        caption->setBuddy(fields[row].second); // which also names the box for a screen reader
        top->addWidget(caption, row, 0);
        top->addWidget(fields[row].second, row, 1);
    }
    top->setColumnStretch(1, 1);
    AccessibleComboBox::nameEditor(cmbServSize);

    lblOther1 = label(context.config().getConfig(QStringLiteral("OTHER1")), "lblOther1");
    lblOther2 = label(context.config().getConfig(QStringLiteral("OTHER2")), "lblOther2");
    auto* nutrients = new QGroupBox(QStringLiteral("Nutrients per Serving"), this);
    auto* grid = new QGridLayout(nutrients);
    grid->setHorizontalSpacing(10);
    for (int i = 0; i < kNutrientCount; ++i) {
        const Box& box = kBoxes[i];
        auto* edit = new QLineEdit(nutrients);
        edit->setObjectName(QLatin1String(box.name));
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000.000")) + 12);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this] { m_nutrientsEdited = true; });
        m_boxes[box.nutrient] = edit;
        QLabel* caption =
            box.caption ? label(QLatin1String(box.caption)) : (box.nutrient == 6 ? lblOther1 : lblOther2);
        caption->setBuddy(edit);
        const int row = i / 2, column = (i % 2) * 3;
        grid->addWidget(caption, row, column);
        grid->addWidget(edit, row, column + 1);
    }
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(2, 1);

    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(nutrients);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    showNutrients(m_stored);
    txtFoodName->setText(food.text(QStringLiteral("FoodName")));

    Recordset& groups = ds.rsAvailGroups;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext())
        cmbGroups->addItem(groups.text(QStringLiteral("GroupName")));
    if (cmbGroups->count() > 0)
        groups.moveFirst();
    Recordset& measures = ds.rsMeasures;
    for (measures.moveFirst(); !measures.eof(); measures.moveNext())
        cmbServSize->addItem(measures.text(QStringLiteral("MSRE_DESC")));
    m_hasMeasures = cmbServSize->count() > 0;
    if (m_hasMeasures)
        measures.moveFirst();
    cmbGroups->setCurrentIndex(-1);
    cmbServSize->setCurrentIndex(-1);
    m_nutrientsEdited = false;

    connect(cmbServSize, &QComboBox::activated, this, &FoodDataDialog::servingChosen);
    connect(cmdSave, &QPushButton::clicked, this, &FoodDataDialog::save);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        m_closeMode = QStringLiteral("CANCEL");
        QDialog::reject();
    });
    txtFoodName->setFocus();
}

void FoodDataDialog::showNutrients(const Nutrients& values)
{
    for (int i = 0; i < kNutrientCount; ++i) {
        m_shownValues[i] = values[i];
        m_shownText[i] = formatNutrient(values[i]);
        m_boxes[i]->setText(m_shownText[i]);
    }
}

void FoodDataDialog::selectServing(int position)
{
    cmbServSize->setCurrentIndex(position);
    servingChosen(position);
}

void FoodDataDialog::setServingText(const QString& text)
{
    cmbServSize->setEditText(text);
}

void FoodDataDialog::selectGroup(int position)
{
    cmbGroups->setCurrentIndex(position);
}

void FoodDataDialog::lockStandardNutrients()
{
    for (int i = 0; i < kStandardNutrients; ++i)
        m_boxes[i]->setEnabled(false);
}

void FoodDataDialog::lockGroup()
{
    cmbGroups->setEnabled(false);
}

void FoodDataDialog::servingChosen(int position)
{
    if (canRescale(m_storedGrams, m_hasMeasures) && position >= 0) {
        Recordset& measures = m_context.dataSource().rsMeasures;
        moveToMeasure(measures, position, 0);
        if (position != m_prevServingIndex) {
            if (m_nutrientsEdited && !m_context.askYesNo(QStringLiteral(
                                         "Changing the Serving Size will overwrite the USDA Nutrient "
                                         "values that you have changed.  Do you wish to continue?"))) {
                const QSignalBlocker blocker(cmbServSize);
                cmbServSize->setCurrentIndex(m_prevServingIndex);
                return;
            }
            showNutrients(
                rescaleNutrients(m_stored, m_storedGrams, measures.number(QStringLiteral("GM_WT"))));
            m_nutrientsEdited = false;
        }
    }
    m_prevServingIndex = position;
}

FoodEntries FoodDataDialog::entries() const
{
    FoodEntries entries;
    entries.name = txtFoodName->text();
    for (int i = 0; i < kNutrientCount; ++i)
        entries.nutrients[i] = {m_boxes[i]->text(), m_shownText[i], m_shownValues[i]};
    entries.servingText = cmbServSize->currentText();
    // A list entry counts as chosen while the box still shows it; a text of
    // the user's own counts as typed even when it resembles another entry.
    const int index = cmbServSize->currentIndex();
    entries.servingIndex = index >= 0 && cmbServSize->itemText(index) == entries.servingText ? index : -1;
    entries.groupIndex = cmbGroups->currentIndex();
    return entries;
}

void FoodDataDialog::save()
{
    if (saveHandler && !saveHandler())
        return;
    m_closeMode = QStringLiteral("SAVE");
    accept();
}

void FoodDataDialog::reject()
{
    if (m_closeMode.isEmpty())
        m_closeMode = QStringLiteral("CANCEL");
    QDialog::reject();
}

bool FoodDataDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A box entered by the keyboard or the mouse has its whole text selected.
    if (event->type() == QEvent::FocusIn) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

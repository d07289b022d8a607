#include "builder/foodbuilderwindow.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/windowsettings.h"
#include "builder/fbservingsdialog.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "food/fooditemeditor.h"
#include "food/foodtree.h"
#include "widgets/plainbutton.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// A grid of read-only cells that selects whole rows.
QTableWidget* grid(QWidget* parent, const char* name, int columns)
{
    auto* table = new QTableWidget(0, columns, parent);
    table->setObjectName(QLatin1String(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setWordWrap(false);
    // Tab leaves the grid; the arrow keys move within it.
    table->setTabKeyNavigation(false);
    return table;
}

// Writes a row's texts into its cells, making the cells the row does not have yet.
void setRow(QTableWidget* table, int row, const QStringList& texts, Qt::Alignment alignment = Qt::AlignLeft)
{
    for (int column = 0; column < texts.size(); ++column) {
        if (QTableWidgetItem* cell = table->item(row, column)) {
            cell->setText(texts[column]);
            continue;
        }
        auto* cell = new QTableWidgetItem(texts[column]);
        cell->setTextAlignment(alignment | Qt::AlignVCenter);
        table->setItem(row, column, cell);
    }
}

} // namespace

FoodBuilderWindow::FoodBuilderWindow(AppContext& context, FoodTree& foods, QWidget* parent)
    : QDialog(parent), m_context(context), m_foods(foods)
{
    setObjectName(QStringLiteral("frmFoodBuilder"));
    setWindowTitle(QStringLiteral("Food Builder"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    buildControls();
    showTotalsCaptions();
    showTotals();
    setEntryCommands();
    fillGroups();
    resize(680, 520);
}

void FoodBuilderWindow::buildControls()
{
    gdFoods = grid(this, "gdFoods", 3);
    gdFoods->setHorizontalHeaderLabels(
        {QStringLiteral("Food Item"), QStringLiteral("Serving Size"), QStringLiteral("Servings")});
    gdFoods->setRowCount(1); // the empty row after the last entry
    gdFoods->setAccessibleName(QStringLiteral("Food Items"));
    gdFoods->viewport()->installEventFilter(this);

    gdTotals = grid(this, "gdTotals", kNutrientCount);
    gdTotals->setRowCount(1);
    gdTotals->setSelectionMode(QAbstractItemView::NoSelection);
    gdTotals->setAccessibleName(QStringLiteral("Totals"));
    gdTotals->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gdTotals->viewport()->installEventFilter(this);
    gdTotals->setFixedHeight(gdTotals->horizontalHeader()->sizeHint().height() +
                             gdTotals->verticalHeader()->defaultSectionSize() + 2 * gdTotals->frameWidth());

    txtFoodName = new QLineEdit(this);
    txtFoodName->setObjectName(QStringLiteral("txtFoodName"));
    txtFoodName->setMaxLength(FoodCatalogue::kFoodNameLength);
    txtServingSize = new QLineEdit(this);
    txtServingSize->setObjectName(QStringLiteral("txtServingSize"));
    cmbGroups = new QComboBox(this);
    cmbGroups->setObjectName(QStringLiteral("cmbGroups"));
    cmbGroups->setPlaceholderText(QStringLiteral("Select a Food Group"));

    cmdUpdate = plainButton("cmdUpdate", QStringLiteral("&Update Selected Entry"), QString(), this);
    cmdDelete = plainButton("cmdDelete", QStringLiteral("&Delete Selected Entry"), QString(), this);
    cmdSave = plainButton("cmdSave", QStringLiteral("&Save Food Item"), QString(), this);
    cmdHide = plainButton("cmdHide", QStringLiteral("&Hide Food Builder"), QString(), this);

    // Each label takes the focus to its box by its access key and names the
    // box for a screen reader.
    auto* fields = new QGridLayout();
    const std::pair<const char*, QWidget*> rows[] = {
        {"Food &Name", txtFoodName}, {"Se&rving Size", txtServingSize}, {"Food &Group", cmbGroups}};
    for (int row = 0; row < 3; ++row) {
        auto* label = new QLabel(QLatin1String(rows[row].first), this);
        label->setBuddy(rows[row].second);
        fields->addWidget(label, row, 0);
        fields->addWidget(rows[row].second, row, 1);
    }
    fields->setColumnStretch(1, 1);

    auto* buttons = new QGridLayout();
    buttons->addWidget(cmdUpdate, 0, 0);
    buttons->addWidget(cmdDelete, 1, 0);
    buttons->addWidget(cmdSave, 2, 0);
    buttons->addWidget(cmdHide, 3, 0);

    auto* bottom = new QHBoxLayout();
    bottom->addLayout(fields, 1);
    bottom->addSpacing(12);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gdFoods, 1);
    layout->addWidget(gdTotals);
    layout->addSpacing(6);
    layout->addLayout(bottom);

    connect(gdFoods, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        gdFoods->setCurrentCell(row, 0);
        updateSelectedEntry();
    });
    connect(cmdUpdate, &QPushButton::clicked, this, &FoodBuilderWindow::updateSelectedEntry);
    connect(cmdDelete, &QPushButton::clicked, this, &FoodBuilderWindow::deleteSelectedEntry);
    connect(cmdSave, &QPushButton::clicked, this, &FoodBuilderWindow::saveFoodItem);
    connect(cmdHide, &QPushButton::clicked, this, &FoodBuilderWindow::hideBuilder);
}

void FoodBuilderWindow::fillGroups()
{
    OrvDataSource& ds = m_context.dataSource();
    const QVariant chosen = cmbGroups->currentData();
    if (!ds.cmdAvailGroups())
        return;
    cmbGroups->clear();
    Recordset& groups = ds.rsAvailGroups;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext())
        cmbGroups->addItem(groups.text(QStringLiteral("GroupName")), groups.integer(QStringLiteral("GroupId")));
    groups.close();
    // No group is chosen until the user chooses one.
    cmbGroups->setCurrentIndex(chosen.isValid() ? cmbGroups->findData(chosen) : -1);
}

void FoodBuilderWindow::showTotals()
{
    setRow(gdTotals, 0, m_builder.totalsTexts(), Qt::AlignRight);
}

void FoodBuilderWindow::showTotalsCaptions()
{
    ConfigStore& config = m_context.config();
    gdTotals->setHorizontalHeaderLabels(FoodBuilder::totalsCaptions(config.getConfig(QStringLiteral("OTHER1")),
                                                                    config.getConfig(QStringLiteral("OTHER2"))));
}

void FoodBuilderWindow::showEntry(int row, const FoodBuilderItem& entry)
{
    setRow(gdFoods, row, {entry.foodName, entry.servingSize, FoodBuilder::servingsText(entry.numServing)});
    gdFoods->item(row, 2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void FoodBuilderWindow::setEntryCommands()
{
    const bool entries = !m_builder.isEmpty();
    for (QPushButton* button : {cmdDelete, cmdSave, cmdUpdate})
        button->setEnabled(entries);
}

bool FoodBuilderWindow::putFoodInOven(const FoodBuilderItem& entry)
{
    if (m_builder.add(entry) != FoodBuilder::Outcome::Done) {
        m_context.exclaim(QLatin1String(BuilderMessages::kTooLarge));
        return false;
    }
    // The grid's current row stays where it was by number, as the grid's own
    // row pointer does: the first entry becomes the current row.
    const int current = qMax(0, gdFoods->currentRow());
    const int row = m_builder.count() - 1;
    gdFoods->insertRow(row);
    showEntry(row, entry);
    gdFoods->setCurrentCell(current, 0);
    showTotals();
    setEntryCommands();
    return true;
}

void FoodBuilderWindow::showBuilder()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    // Groups and nutrient labels may have changed while the window was hidden.
    fillGroups();
    showTotalsCaptions();
    show();
    raise();
    activateWindow();
}

void FoodBuilderWindow::updateSelectedEntry()
{
    const int row = gdFoods->currentRow();
    if (row < 0 || row >= m_builder.count())
        return;
    const FoodBuilderItem entry = m_builder.entries()[row];
    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdMeasures(entry.ndbNo))
        return;
    Recordset& measures = ds.rsMeasures;
    const int position = measures.recordCount() > 0 ? measurePosition(measures, entry.msreNo) : 0;
    QStringList descriptions;
    QList<BuilderServing> servings;
    for (measures.moveFirst(); !measures.eof(); measures.moveNext()) {
        descriptions << measures.text(QStringLiteral("MSRE_DESC"));
        servings.append({descriptions.last(), measures.integer(QStringLiteral("MSRE_NO")),
                         measures.number(QStringLiteral("GM_WT")), 0});
    }
    measures.close();

    FBServingsDialog dialog(m_context, this);
    dialog.appendToCaption(entry.foodName);
    if (descriptions.isEmpty())
        dialog.lockServingSize(entry.servingSize);
    else
        dialog.offerMeasures(descriptions, position);
    dialog.setServings(entry.numServing);
    dialog.exec();
    if (dialog.closeMode() != QLatin1String("OK"))
        return;
    const int measure = dialog.chosenMeasure();
    BuilderServing serving =
        measure >= 0 ? servings[measure] : BuilderServing{entry.servingSize, entry.msreNo, entry.grams, 0};
    serving.numServing = dialog.servings();
    changeEntry(row, serving);
}

bool FoodBuilderWindow::changeEntry(int row, const BuilderServing& serving)
{
    switch (m_builder.update(row, serving)) {
    case FoodBuilder::Outcome::Unchanged:
        return false;
    case FoodBuilder::Outcome::OutOfRange:
        m_context.exclaim(QLatin1String(BuilderMessages::kTooLarge));
        return false;
    case FoodBuilder::Outcome::Done:
        break;
    }
    showEntry(row, m_builder.entries()[row]);
    showTotals();
    return true;
}

void FoodBuilderWindow::deleteSelectedEntry()
{
    const int row = gdFoods->currentRow();
    if (row < 0 || row >= m_builder.count())
        return;
    gdFoods->removeRow(row);
    m_builder.remove(row);
    showTotals();
    setEntryCommands();
}

qint32 FoodBuilderWindow::chosenGroupId()
{
    const qint32 groupId = cmbGroups->currentData().toInt();
    OrvDataSource& ds = m_context.dataSource();
    if (groupId == 0 || !ds.cmdAvailGroups())
        return 0;
    moveToGroup(ds.rsAvailGroups, 0, groupId);
    const bool exists = ds.rsAvailGroups.hasCurrent() && !ds.rsAvailGroups.noMatch();
    ds.rsAvailGroups.close();
    return exists ? groupId : 0;
}

bool FoodBuilderWindow::saveFoodItem()
{
    AppContext& context = m_context;
    const QString problem =
        m_builder.saveProblem(txtFoodName->text(), txtServingSize->text(), cmbGroups->currentIndex() >= 0);
    if (!problem.isEmpty()) {
        context.exclaim(problem);
        return false;
    }
    // The list was read when the window was last shown: a group deleted since
    // then cannot take the food.
    const qint32 groupId = chosenGroupId();
    if (groupId == 0) {
        if (!context.shutDownRequested()) {
            context.exclaim(QLatin1String(BuilderMessages::kNoGroup));
            fillGroups();
        }
        return false;
    }
    m_foods.editor().resolvePendingFood();
    const bool stored = m_foods.addFood(groupId, [&](Recordset& food, qint32 foodId) {
        m_builder.writeFood(food, foodId, groupId, txtFoodName->text(), txtServingSize->text());
    });
    if (!stored)
        return false;
    context.prompts().ask({PromptIcon::Information, PromptButtons::Ok, QLatin1String(BuilderMessages::kSavedTitle),
                           QLatin1String(BuilderMessages::kSaved)});
    hideBuilder();
    emptyBuilder();
    return true;
}

void FoodBuilderWindow::hideBuilder()
{
    hide();
}

void FoodBuilderWindow::reject()
{
    hideBuilder();
}

void FoodBuilderWindow::emptyBuilder()
{
    m_builder.empty();
    gdFoods->clearContents();
    gdFoods->setRowCount(1);
    showTotals();
    txtFoodName->clear();
    txtServingSize->clear();
    setEntryCommands();
}

bool FoodBuilderWindow::queryClose()
{
    if (!m_builder.unsavedItems())
        return true;
    AppContext& context = m_context;
    if (context.askYesNo(QLatin1String(BuilderMessages::kUnsaved), QLatin1String(BuilderMessages::kUnsavedTitle))) {
        showBuilder();
        saveFoodItem();
        return !m_builder.unsavedItems();
    }
    emptyBuilder();
    return true;
}

void FoodBuilderWindow::closeEvent(QCloseEvent* event)
{
    if (!queryClose()) {
        event->ignore();
        return;
    }
    // Closed, the builder holds nothing: what was not saved has been let go.
    emptyBuilder();
    event->accept();
}

bool FoodBuilderWindow::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == gdFoods->viewport() || watched == gdTotals->viewport()) && event->type() == QEvent::Resize)
        sizeColumns();
    return QDialog::eventFilter(watched, event);
}

void FoodBuilderWindow::sizeColumns()
{
    // Half of the entry grid for the food, a third for its serving size, the
    // rest less 200 twips for the servings; an eighth of the totals grid each.
    const int width = gdFoods->viewport()->width();
    const int margin = WindowSettings::twipsToPixels(200, logicalDpiX());
    gdFoods->setColumnWidth(0, width / 2);
    gdFoods->setColumnWidth(1, width / 3);
    gdFoods->setColumnWidth(2, qMax(0, width - width / 2 - width / 3 - margin));
    const int eighth = gdTotals->viewport()->width() / kNutrientCount;
    for (int column = 0; column < kNutrientCount; ++column)
        gdTotals->setColumnWidth(column, eighth);
}

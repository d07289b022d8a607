#include "shell/mainwindow.h"

#include "app/appcontext.h"
#include "app/backups.h"
#include "app/configstore.h"
#include "app/startup.h"
#include "app/windowsettings.h"
#include "builder/foodbuilderwindow.h"
#include "data/databasebackup.h"
#include "data/orvdatasource.h"
#include "diet/dietview.h"
#include "diet/purgedialog.h"
#include "food/findcontroller.h"
#include "food/fooditemeditor.h"
#include "food/foodtree.h"
#include "options/optionsdialog.h"
#include "snapshot/snapshotwindow.h"
#include "transfer/datatransfer.h"
#include "shell/reportlauncher.h"
#include "shell/aboutwindow.h"
#include "widgets/helpwindow.h"
#include "widgets/icons.h"
#include "widgets/mealcombo.h"
#include "widgets/nodetree.h"
#include "widgets/waitcursor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtDebug>

namespace {

// Window measures are kept in twips, 1440 to the inch.
int toPixelsX(const QWidget* w, double twips)
{
    return WindowSettings::twipsToPixels(twips, w->logicalDpiX());
}
int toPixelsY(const QWidget* w, double twips)
{
    return WindowSettings::twipsToPixels(twips, w->logicalDpiY());
}
double toTwipsX(const QWidget* w, int pixels)
{
    return WindowSettings::pixelsToTwips(pixels, w->logicalDpiX());
}
double toTwipsY(const QWidget* w, int pixels)
{
    return WindowSettings::pixelsToTwips(pixels, w->logicalDpiY());
}

} // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent) : QMainWindow(parent), m_context(context)
{
    setObjectName(QStringLiteral("frmMain"));
    buildPanes();
    buildMenus();
    buildToolbar();
    m_foodTree = std::make_unique<FoodTree>(*this, tvwFood);
    m_dietTree = std::make_unique<DietTree>(*this, tvwDiet);
    m_finder = std::make_unique<FindController>(m_context, this, foodEditor(), *m_foodTree, *m_dietTree);
    m_reports = std::make_unique<ReportLauncher>(context, m_commands, this);
    connectCommands();

    // Paste and Delete wait for something to paste or delete.
    m_commands.setEnabled(Command::Paste, false);
    m_commands.setEnabled(Command::Delete, false);

    // A fatal data failure closes the main window, which ends the run.
    m_context.unloadMainWindow = [this] { unload(); };
}

MainWindow::~MainWindow()
{
    m_context.unloadMainWindow = nullptr;
    if (m_context.mainWindow == this)
        m_context.mainWindow = nullptr;
}

void MainWindow::buildPanes()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(central);

    frameFood = new QGroupBox(QStringLiteral("Food Groups"), central);
    frameFood->setObjectName(QStringLiteral("frameFood"));
    tvwFood = new NodeTree(frameFood);
    tvwFood->setObjectName(QStringLiteral("tvwFood"));
    tvwFood->setTreeName(frameFood->title());

    tvwDiet = new DietView(central);
    tvwDiet->setObjectName(QStringLiteral("tvwDiet"));
    tvwDiet->setAccessibleName(QStringLiteral("Diet Activity"));

    // The diet tree's caption, written downwards one letter a line, and read
    // out as the words it spells.
    txtActivity = new QLabel(QStringLiteral("D\nI\nE\nT\n\nA\nC\nT\nI\nV\nI\nT\nY"), central);
    txtActivity->setObjectName(QStringLiteral("txtActivity"));
    txtActivity->setAccessibleName(QStringLiteral("Diet Activity"));
    txtActivity->setBuddy(tvwDiet);
    txtActivity->setAlignment(Qt::AlignCenter);
    txtActivity->setFrameShape(QFrame::StyledPanel);
    QFont captionFont = txtActivity->font();
    captionFont.setBold(true);
    txtActivity->setFont(captionFont);

    statusPanel1 = new QLabel(this);
    statusPanel1->setObjectName(QStringLiteral("statusPanel1"));
    statusPanel2 = new QLabel(this);
    statusPanel2->setObjectName(QStringLiteral("statusPanel2"));
    statusBar()->addWidget(statusPanel1, 1);
    statusBar()->addPermanentWidget(statusPanel2);
}

QAction* MainWindow::menuAction(QMenu* menu, Command command, Surface surface, const char* name,
                                const QString& caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    m_commands.add(command, surface, action);
    return action;
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuFileBackUp = file->addAction(QStringLiteral("&Back Up Database..."), this, [this] { fileBackUp(); });
    mnuFileBackUp->setObjectName(QStringLiteral("mnuFileBackUp"));
    mnuFileRestore = file->addAction(QStringLiteral("&Restore Database..."), this, [this] { fileRestore(); });
    mnuFileRestore->setObjectName(QStringLiteral("mnuFileRestore"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Export Data..."), this, [this] { DataTransfer::exportData(m_context, this); })
        ->setObjectName(QStringLiteral("mnuFileExport"));
    file->addAction(QStringLiteral("&Import Data..."), this, [this] {
            // A pending food edit is stored (or dropped) first: the trees are read again after an import.
            foodEditor().resolvePendingFood();
            DataTransfer::importData(m_context, this, [this] { return reloadDatabase(); });
        })->setObjectName(QStringLiteral("mnuFileImport"));
    file->addSeparator();
    menuAction(file, Command::Exit, Surface::Menu, "mnuFileExit", QStringLiteral("E&xit"));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    QMenu* editNew = edit->addMenu(QStringLiteral("New"));
    editNew->setObjectName(QStringLiteral("mnuEditNew"));
    editNew->menuAction()->setObjectName(QStringLiteral("mnuEditNew"));
    m_commands.add(Command::New, Surface::Menu, editNew->menuAction());
    menuAction(editNew, Command::NewFoodGroup, Surface::Menu, "mnuEditNewFoodGroup", QStringLiteral("Food &Group"));
    menuAction(editNew, Command::NewFoodItem, Surface::Menu, "mnuEditNewFoodItem", QStringLiteral("Food &Item"));
    edit->addSeparator();
    menuAction(edit, Command::DietDetails, Surface::Menu, "mnuEditDietDetails", QStringLiteral("View Diet Totals"),
               Qt::Key_F7);
    menuAction(edit, Command::DietEntry, Surface::Menu, "mnuEditDietEntry", QStringLiteral("Diet Entry Details"),
               Qt::Key_F8);
    menuAction(edit, Command::FoodDetails, Surface::Menu, "mnuEditFoodDetails", QStringLiteral("Food Item Details"),
               Qt::Key_F9);
    menuAction(edit, Command::FoodFav, Surface::Menu, "mnuEditFoodFav", QStringLiteral("Copy Food To Favorites"),
               QKeySequence(Qt::CTRL | Qt::Key_Insert));
    menuAction(edit, Command::FoodBuilder, Surface::Menu, "mnuEditFoodBuilder",
               QStringLiteral("Send Food to Food Builder"), QKeySequence(Qt::CTRL | Qt::Key_B));
    edit->addSeparator();
    menuAction(edit, Command::Cut, Surface::Menu, "mnuEditCut", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    menuAction(edit, Command::Copy, Surface::Menu, "mnuEditCopy", QStringLiteral("&Copy"),
               QKeySequence(Qt::CTRL | Qt::Key_C));
    menuAction(edit, Command::Paste, Surface::Menu, "mnuEditPaste", QStringLiteral("&Paste"),
               QKeySequence(Qt::CTRL | Qt::Key_V));
    menuAction(edit, Command::Delete, Surface::Menu, "mnuEditDelete", QStringLiteral("&Delete"), Qt::Key_Delete);
    edit->addSeparator();
    menuAction(edit, Command::FindEntry, Surface::Menu, "mnuEditFindEntry", QStringLiteral("&Find"),
               QKeySequence(Qt::CTRL | Qt::Key_F));
    menuAction(edit, Command::FindNext, Surface::Menu, "mnuEditFindNext", QStringLiteral("Find &Next"), Qt::Key_F3);
    edit->addSeparator();
    menuAction(edit, Command::Rename, Surface::Menu, "mnuEditRename", QStringLiteral("Rename"), Qt::Key_F2);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    menuAction(tools, Command::Options, Surface::Menu, "mnuToolsOptions", QStringLiteral("&Configuration Options"));
    menuAction(tools, Command::ToolsFoodBuilder, Surface::Menu, "mnuToolsFoodbuilder", QStringLiteral("&Food Builder"));
    menuAction(tools, Command::Snapshot, Surface::Menu, "mnuToolsSnapshot", QStringLiteral("P&hysical Snapshot"));
    tools->addSeparator();
    menuAction(tools, Command::DietReport, Surface::Menu, "mnuToolsDietReport", QStringLiteral("&Produce Diet Report"));
    menuAction(tools, Command::DietGraph, Surface::Menu, "mnuToolsDietGraph", QStringLiteral("Produce Diet &Graph"));
    menuAction(tools, Command::SnapshotReport, Surface::Menu, "mnuToolsSnapshotReport",
               QStringLiteral("Produce &Snapshot Report"));
    tools->addSeparator();
    menuAction(tools, Command::PurgeDiet, Surface::Menu, "mnuToolsPurgeDietData", QStringLiteral("P&urge Diet Data"));
    menuAction(tools, Command::PurgeSnapshot, Surface::Menu, "mnuToolsPurgeSnapshotData",
               QStringLiteral("Pu&rge Snapshot Data"));
    tools->addSeparator();
    QAction* showMeals =
        menuAction(tools, Command::ShowMeals, Surface::Menu, "mnuToolsShowMeals", QStringLiteral("&Show Meal Choices"));
    showMeals->setCheckable(true);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menuAction(help, Command::HelpContents, Surface::Menu, "mnuHelpContents", QStringLiteral("&Contents"));
    menuAction(help, Command::HelpSearch, Surface::Menu, "mnuHelpSearchForHelpOn",
               QStringLiteral("&Search For Help On..."));
    help->addSeparator();
    menuAction(help, Command::About, Surface::Menu, "mnuHelpAbout", QStringLiteral("&About "));

    // The context menu of both trees.
    mnuPop_RTB = new QMenu(this);
    mnuPop_RTB->setObjectName(QStringLiteral("mnuPop_RTB"));
    QMenu* popNew = mnuPop_RTB->addMenu(QStringLiteral("New"));
    popNew->setObjectName(QStringLiteral("mnuPop_RTB_New"));
    popNew->menuAction()->setObjectName(QStringLiteral("mnuPop_RTB_New"));
    m_commands.add(Command::New, Surface::Popup, popNew->menuAction());
    menuAction(popNew, Command::NewFoodGroup, Surface::Popup, "mnuPop_RTB_NewFoodGroup", QStringLiteral("Food Group"));
    menuAction(popNew, Command::NewFoodItem, Surface::Popup, "mnuPop_RTB_NewFoodItem", QStringLiteral("Food Item"));
    mnuPop_RTB->addSeparator();
    menuAction(mnuPop_RTB, Command::DietDetails, Surface::Popup, "mnuPop_RTB_DietDetails",
               QStringLiteral("View Diet Totals"));
    menuAction(mnuPop_RTB, Command::DietEntry, Surface::Popup, "mnuPop_RTB_DietEntry",
               QStringLiteral("Edit Diet Entry Details"));
    menuAction(mnuPop_RTB, Command::FoodDetails, Surface::Popup, "mnuPop_RTB_FoodDetails",
               QStringLiteral("Edit Food Item Details"));
    menuAction(mnuPop_RTB, Command::FoodFav, Surface::Popup, "mnuPop_RTB_FoodFav",
               QStringLiteral("Copy Food To Favorites"));
    menuAction(mnuPop_RTB, Command::FoodBuilder, Surface::Popup, "mnuPop_RTB_FoodBuilder",
               QStringLiteral("Send Food to Food Builder"));
    mnuPop_RTB->addSeparator();
    menuAction(mnuPop_RTB, Command::Cut, Surface::Popup, "mnuPop_RTB_Cut", QStringLiteral("Cu&t"));
    menuAction(mnuPop_RTB, Command::Copy, Surface::Popup, "mnuPop_RTB_Copy", QStringLiteral("&Copy"));
    menuAction(mnuPop_RTB, Command::Paste, Surface::Popup, "mnuPop_RTB_Paste", QStringLiteral("&Paste"));
    menuAction(mnuPop_RTB, Command::Delete, Surface::Popup, "mnuPop_RTB_Delete", QStringLiteral("&Delete"));
    mnuPop_RTB->addSeparator();
    menuAction(mnuPop_RTB, Command::Rename, Surface::Popup, "mnuPop_RTB_Rename", QStringLiteral("Rename"));
}

void MainWindow::buildToolbar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("tbToolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(22, 22));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    auto button = [&](Command command, const char* key, const QString& tip, const char* image) {
        QAction* action = bar->addAction(Icons::toolbar(QLatin1String(image)), tip);
        action->setObjectName(QStringLiteral("tb") + QLatin1String(key));
        action->setToolTip(tip);
        m_commands.add(command, Surface::Toolbar, action);
        return action;
    };
    button(Command::Options, "SelectUser", QStringLiteral("Select User"), "Person");

    // "Report": a drop-down of the three outputs; the button itself makes the diet report.
    QAction* report = button(Command::DietReport, "Report", QStringLiteral("Produce Diet Report"), "Report");
    auto* reportMenu = new QMenu(this);
    reportMenu->setObjectName(QStringLiteral("tbReportMenu"));
    QAction* dietReport = reportMenu->addAction(QStringLiteral("Diet Activity Report"));
    dietReport->setObjectName(QStringLiteral("DIETRPT"));
    QAction* dietGraph = reportMenu->addAction(QStringLiteral("Diet Graph"));
    dietGraph->setObjectName(QStringLiteral("DIETGRAPH"));
    QAction* snapshotReport = reportMenu->addAction(QStringLiteral("SnapShot Activity Report"));
    snapshotReport->setObjectName(QStringLiteral("SNAPSHOTRPT"));
    report->setMenu(reportMenu);
    m_reportButton = qobject_cast<QToolButton*>(bar->widgetForAction(report));
    if (m_reportButton)
        m_reportButton->setPopupMode(QToolButton::MenuButtonPopup);
    m_commands.add(Command::DietReport, Surface::Dropdown, dietReport);
    m_commands.add(Command::DietGraph, Surface::Dropdown, dietGraph);
    m_commands.add(Command::SnapshotReport, Surface::Dropdown, snapshotReport);

    bar->addSeparator();
    m_commands.add(Command::New, Surface::Toolbar,
                   button(Command::NewFoodGroup, "NewGroup", QStringLiteral("New Food Group"), "FoodGroup"));
    button(Command::NewFoodItem, "NewFood", QStringLiteral("New Food Item"), "FoodItem");
    bar->addSeparator();
    button(Command::Cut, "Cut", QStringLiteral("Cut the Selected Item"), "Cut");
    button(Command::Copy, "Copy", QStringLiteral("Copy the Selected Item"), "Copy");
    button(Command::Paste, "Paste", QStringLiteral("Paste"), "Paste");
    button(Command::Delete, "Delete", QStringLiteral("Delete Selected Item"), "Delete");
    bar->addSeparator();
    button(Command::FindEntry, "Find", QStringLiteral("Find"), "Find");
    button(Command::Snapshot, "SnapShot", QStringLiteral("Physical Snapshot"), "Camera");
    button(Command::ToolsFoodBuilder, "FoodBldr", QStringLiteral("Food Builder"), "FoodBuilder");
    button(Command::HelpContents, "Help", QStringLiteral("Help"), "Help");

    // The day and meal that new diet entries go to, at the toolbar's end.
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    dtDatePick = new QDateEdit(bar);
    dtDatePick->setObjectName(QStringLiteral("dtDatePick"));
    dtDatePick->setCalendarPopup(true);
    dtDatePick->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dtDatePick->setToolTip(QStringLiteral("Day of the diet entries added by double-click"));
    dtDatePick->setAccessibleName(QStringLiteral("Diet Date"));
    bar->addWidget(dtDatePick);
    cmbMeal = new QComboBox(bar);
    cmbMeal->setObjectName(QStringLiteral("cmbMeal"));
    cmbMeal->setToolTip(QStringLiteral("Select a Meal Name for Meal level tracking"));
    cmbMeal->setAccessibleName(QStringLiteral("Meal"));
    // A screen reader reads a drop-down by its value; with no label beside
    // it, the description says what the value is.
    cmbMeal->setAccessibleDescription(QStringLiteral("Meal"));
    // A width of its own, whatever the labels: a long label must not push the
    // toolbar's end out of view (the open list shows every label whole).
    cmbMeal->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbMeal->setMinimumContentsLength(14);
    cmbMealAction = bar->addWidget(cmbMeal);
}

void MainWindow::connectCommands()
{
    auto on = [this](Command command, auto handler) {
        for (Surface surface : {Surface::Menu, Surface::Popup, Surface::Toolbar, Surface::Dropdown}) {
            if (QAction* action = m_commands.action(command, surface))
                connect(action, &QAction::triggered, this, handler);
        }
    };
    on(Command::Exit, [this] { close(); });
    on(Command::NewFoodGroup, [this] { m_foodTree->newFoodGroup(); });
    on(Command::NewFoodItem, [this] { foodEditor().newFoodItem(); });
    on(Command::DietDetails, [this] { m_dietTree->showDietTotals(); });
    on(Command::DietEntry, [this] { editDietEntry(); });
    on(Command::FoodDetails, [this] { foodEditor().showFoodDetails(); });
    on(Command::FoodFav, [this] { m_foodTree->copyToFavorites(); });
    on(Command::FoodBuilder, [this] { sendFoodToBuilder(); });
    on(Command::ToolsFoodBuilder, [this] { toolsFoodBuilder(); });
    on(Command::Cut, [this] { editCut(); });
    on(Command::Copy, [this] { editCopy(); });
    on(Command::Paste, [this] { editPaste(); });
    on(Command::Delete, [this] { editDelete(); });
    on(Command::FindEntry, [this] { m_finder->findFood(false); });
    on(Command::FindNext, [this] { m_finder->findFood(true); });
    on(Command::Rename, [this] { editRename(); });
    on(Command::Options, [this] { toolsOptions(); });
    on(Command::Snapshot, [this] { toolsSnapshot(); });
    on(Command::ShowMeals, [this] { toolsShowMeals(); });
    on(Command::DietReport, [this] { m_reports->dietReport(); });
    on(Command::DietGraph, [this] { m_reports->dietGraph(); });
    on(Command::SnapshotReport, [this] { ReportLauncher::snapshotReport(m_context, this); });
    on(Command::PurgeDiet, [this] { toolsPurgeDiet(); });
    on(Command::PurgeSnapshot, [this] { toolsPurgeSnapshot(); });
    on(Command::HelpContents, [this] { helpContents(); });
    on(Command::HelpSearch, [this] { helpSearch(); });
    on(Command::About, [this] { helpAbout(); });
}

bool MainWindow::load()
{
    placeFromSettings();
    setWindowTitle(m_context.appTitle + QLatin1Char(' ') + AppContext::appVersion());
    dtDatePick->setDate(QDate::currentDate());
    m_loaded = loadDatabase();
    if (m_loaded)
        m_foodBuilder = new FoodBuilderWindow(m_context, *m_foodTree, this);
    return m_loaded;
}

bool MainWindow::loadDatabase()
{
    OrvDataSource& ds = m_context.dataSource();
    ConfigStore& config = m_context.config();
    if (!ds.cmdGroups() || !ds.cmdFoods())
        return false;
    m_context.currentUser = config.findCurrentUser();
    refreshUserPanel();
    const bool showMeals = config.getConfig(QStringLiteral("SHOWMEALS")) == QLatin1String("Y");
    cmbMealAction->setVisible(showMeals);
    m_commands.action(Command::ShowMeals, Surface::Menu)->setChecked(showMeals);
    if (!ds.cmdDietData(m_context.currentUser))
        return false;
    m_foodTree->loadFoodTree();
    m_dietTree->loadDietDays();
    fillMealCombo(config, cmbMeal, QString());
    fitMinimumSize();
    return !m_context.shutDownRequested();
}

bool MainWindow::reloadDatabase()
{
    tvwFood->clearNodes();
    setStatusPanel1(QString(), QString());
    return loadDatabase();
}

void MainWindow::refreshUserPanel()
{
    statusPanel2->setText(QStringLiteral("User:  ") + m_context.config().getConfig(m_context.currentUser));
    statusPanel2->setToolTip(QStringLiteral("Current User"));
}

void MainWindow::setStatusPanel1(const QString& text, const QString& tip)
{
    statusPanel1->setText(text);
    statusPanel1->setToolTip(tip);
}

QString MainWindow::chosenMealKey() const
{
    return ::chosenMealKey(m_context.config(), cmbMeal);
}

void MainWindow::showPopupMenu()
{
    const std::optional<QPoint> keyed = tvwFood->keyboardMenuPosition();
    showPopupMenu(keyed ? *keyed : QCursor::pos());
}

void MainWindow::showPopupMenu(const QPoint& globalPos)
{
    mnuPop_RTB->popup(globalPos);
}

void MainWindow::logSelectedFood()
{
    // One serving of the food's own serving: exactly the food's values.
    if (const std::optional<CatalogueFood> chosen = m_foodTree->catalogue().current())
        m_dietTree->addDietEntry(1.0, dtDatePick->date(), {chosen->servingSize, chosen->measureNo, chosen->grams},
                                 chosenMealKey());
}

void MainWindow::clearDietDropHighlight()
{
    tvwDiet->setDropHighlight(QModelIndex());
}

void MainWindow::settlePendingFood()
{
    foodEditor().resolvePendingFood();
}

QDate MainWindow::pickedDate()
{
    return dtDatePick->date();
}

QString MainWindow::pickedMealLabel()
{
    return cmbMeal->currentIndex() > 0 ? cmbMeal->currentText() : QString();
}

std::optional<LoggedFood> MainWindow::food(const QString& foodKey)
{
    Recordset& foods = m_context.dataSource().rsFoods;
    if (!foodKey.isEmpty())
        m_foodTree->selectFoodRecord(foodKey, QStringLiteral("FOODITEM"));
    try {
        if (!foods.hasCurrent() ||
            (!foodKey.isEmpty() && foods.integer(QStringLiteral("FoodId")) != foodKey.mid(1).toInt()))
            return std::nullopt;
        return LoggedFood::fromRecord(
            foods, m_foodTree->catalogue().groupName(foods.integer(QStringLiteral("GroupId"))));
    } catch (const DataError& error) {
        qWarning() << "food" << foodKey << error.what();
        return std::nullopt;
    }
}

QWidget* MainWindow::foodView()
{
    return tvwFood;
}

void MainWindow::clearFoodDropHighlight()
{
    tvwFood->setDropHighlight(nullptr);
}

void MainWindow::focusFoodTree()
{
    m_foodTree->foodNodeClick(tvwFood->selectedNode());
    tvwFood->setFocus();
}

void MainWindow::editCopy()
{
    if (m_state.activeTree == QLatin1String("FOODS"))
        m_foodTree->copyFood();
    else
        m_dietTree->editCopy();
}

void MainWindow::editCut()
{
    if (m_state.activeTree == QLatin1String("FOODS"))
        m_foodTree->removeFood(QStringLiteral("CUT"));
    else
        m_dietTree->editCut();
}

void MainWindow::editPaste()
{
    if (m_state.activeTree == QLatin1String("FOODS"))
        m_foodTree->pasteFood();
    else
        m_dietTree->editPaste();
}

void MainWindow::editDelete()
{
    if (m_state.activeTree == QLatin1String("FOODS")) {
        QTreeWidgetItem* node = tvwFood->selectedNode();
        if (!node)
            return;
        if (NodeTree::tag(node) == QLatin1String("FOODITEM"))
            m_foodTree->removeFood(QStringLiteral("DELETE"));
        else
            m_foodTree->deleteFoodGroup(NodeTree::key(node));
        return;
    }
    if (m_state.activeTree == QLatin1String("DIET"))
        m_dietTree->editDelete();
}

void MainWindow::editRename()
{
    m_foodTree->startRename();
}

void MainWindow::editDietEntry()
{
    if (tvwDiet->selectedNode().isValid())
        m_dietTree->dietDoubleClick();
}

void MainWindow::sendFoodToBuilder()
{
    QTreeWidgetItem* node = tvwFood->selectedNode();
    if (!m_foodBuilder || NodeTree::tag(node) != FoodTree::kFoodItem)
        return;
    foodEditor().resolvePendingFood();
    // The row of the selected food, whatever moved rsFoods since the click.
    m_foodTree->selectFoodRecord(NodeTree::key(node), FoodTree::kFoodItem);
    const Recordset& foods = m_context.dataSource().rsFoods;
    if (foods.hasCurrent())
        m_foodBuilder->putFoodInOven(FoodBuilderItem::fromFood(foods));
}

void MainWindow::toolsFoodBuilder()
{
    if (m_foodBuilder)
        m_foodBuilder->showBuilder();
}

void MainWindow::toolsShowMeals()
{
    QAction* menu = m_commands.action(Command::ShowMeals, Surface::Menu);
    // The check mark has already flipped when the menu item was clicked.
    const bool show = menu->isChecked();
    m_context.config().setConfig(QStringLiteral("SHOWMEALS"), show ? QStringLiteral("Y") : QStringLiteral("N"),
                                 false);
    cmbMealAction->setVisible(show);
    cmbMeal->setCurrentIndex(0);
    fitMinimumSize();
}

void MainWindow::toolsOptions()
{
    OptionsDialog dialog(m_context, this);
    dialog.exec();
    if (dialog.userChanged())
        m_dietTree->reload();
    refreshUserPanel();
    if (dialog.mealsChanged()) {
        fillMealCombo(m_context.config(), cmbMeal, cmbMeal->currentIndex() > 0 ? cmbMeal->currentText() : QString());
        m_dietTree->refreshMealCaptions();
    }
}

void MainWindow::toolsSnapshot()
{
    SnapshotWindow window(m_context, this);
    connect(&window, &SnapshotWindow::reportRequested, this,
            [this, &window] { ReportLauncher::snapshotReport(m_context, &window); });
    if (window.load())
        window.exec();
}


namespace {

// The automatic backup before a purge; false when it failed (and said so).
bool backUpBeforePurge(AppContext& context)
{
    return Backups::makeAutomatic(context, DatabaseBackup::kBeforePurge,
                                  QStringLiteral("Nothing has been deleted.  "));
}

} // namespace

void MainWindow::toolsPurgeDiet()
{
    const std::optional<PurgeRange> range = PurgeDialog::chooseRange(m_context, QStringLiteral("Diet"), this);
    if (!range)
        return;
    WaitCursor wait;
    if (!backUpBeforePurge(m_context))
        return;
    // Whole days: the stored diet dates carry no time of day.
    if (m_context.dataSource().cmdDeleteDietItems(range->first, range->last, m_context.currentUser, QString()))
        m_dietTree->reload();
}

void MainWindow::toolsPurgeSnapshot()
{
    const std::optional<PurgeRange> range = PurgeDialog::chooseRange(m_context, QStringLiteral("Snapshot"), this);
    if (!range)
        return;
    WaitCursor wait;
    if (!backUpBeforePurge(m_context))
        return;
    m_context.dataSource().cmdDeleteSnapshotItems(range->snapshotTimes(), m_context.currentUser);
}

void MainWindow::fileBackUp()
{
    QDir().mkpath(m_context.backupFolder());
    QFileDialog dialog(this, QStringLiteral("Back Up Database"), m_context.backupFolder());
    dialog.setObjectName(QStringLiteral("dlgBackUp"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Databases (*.mdb)"));
    dialog.setDefaultSuffix(QStringLiteral("mdb"));
    dialog.selectFile(DatabaseBackup::suggestedName(QDate::currentDate()));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        backUpTo(dialog.selectedFiles().constFirst());
}

bool MainWindow::backUpTo(const QString& path)
{
    WaitCursor wait;
    return Backups::backUpTo(m_context, path);
}

void MainWindow::fileRestore()
{
    QDir().mkpath(m_context.backupFolder());
    QFileDialog dialog(this, QStringLiteral("Restore Database"), m_context.backupFolder());
    dialog.setObjectName(QStringLiteral("dlgRestore"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Databases (*.mdb)"), QStringLiteral("All files (*)")});
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        restoreFrom(dialog.selectedFiles().constFirst());
}

void MainWindow::restoreFrom(const QString& path)
{
    // A pending food edit belongs to the database in use: it is stored (or
    // dropped, as the user says) before that database is replaced.
    foodEditor().resolvePendingFood();
    std::optional<WaitCursor> wait;
    Backups::RestoreHooks hooks;
    hooks.busy = [&wait](bool working) {
        if (working)
            wait.emplace();
        else
            wait.reset();
    };
    hooks.reload = [this] { return reloadDatabase(); };
    Backups::restore(m_context, path, hooks);
}

void MainWindow::helpContents()
{
    HelpWindow::showContents(m_context, this);
}

void MainWindow::helpSearch()
{
    HelpWindow::showSearch(m_context, this);
}

void MainWindow::helpAbout()
{
    AboutWindow about(m_context, this);
    about.exec();
}

void MainWindow::layoutPanes()
{
    if (isMinimized())
        return;
    // The client area as the layout rules see it: the toolbar and the panes
    // below it, down to the status bar.
    const QWidget* client = centralWidget();
    const int toolbarHeight = client->geometry().top() - menuBar()->height();
    const double scaleWidth = toTwipsX(this, client->width());
    const double scaleHeight = toTwipsY(this, client->height() + qMax(0, toolbarHeight));
    if (scaleHeight <= 1750)
        return;
    const double frameTop = 60, frameLeft = 120;
    const double frameWidth = scaleWidth - 240;
    const double frameHeight = scaleHeight / 2 - 480;
    frameFood->setGeometry(toPixelsX(this, frameLeft), toPixelsY(this, frameTop), toPixelsX(this, frameWidth),
                           toPixelsY(this, frameHeight));
    tvwFood->setGeometry(toPixelsX(this, 120), toPixelsY(this, 240), toPixelsX(this, scaleWidth - 480),
                         toPixelsY(this, frameHeight - 360));
    const double dietTop = frameTop + frameHeight + 120;
    tvwDiet->setGeometry(toPixelsX(this, 360), toPixelsY(this, dietTop), toPixelsX(this, scaleWidth - 480),
                         toPixelsY(this, frameHeight));
    txtActivity->setGeometry(toPixelsX(this, 120), toPixelsY(this, dietTop), toPixelsX(this, 210),
                             toPixelsY(this, frameHeight));
}

void MainWindow::fitMinimumSize()
{
    // The stored size (6500 twips square at first) is kept, but the window is
    // never shown smaller than this.
    const QToolBar* bar = findChild<QToolBar*>(QStringLiteral("tbToolBar"));
    const QMargins frame = contentsMargins();
    const int width =
        qMax(bar->sizeHint().width(), menuBar()->sizeHint().width()) + frame.left() + frame.right();
    // The diet tree, and the caption beside it, are as high as the food
    // frame: half the client height (toolbar included) less 480 twips.
    const double captionTwips = toTwipsY(this, txtActivity->sizeHint().height());
    const int client = toPixelsY(this, 2 * (captionTwips + 480));
    const int height = client + menuBar()->sizeHint().height() + statusBar()->sizeHint().height() +
                       frame.top() + frame.bottom();
    QSize needed(width, height);
    if (const QScreen* shownOn = screen())
        needed = needed.boundedTo(shownOn->availableGeometry().size());
    setMinimumSize(needed);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutPanes();
}

void MainWindow::placeFromSettings()
{
    const QRect place = WindowSettings::toPixels(WindowSettings().read(), logicalDpiX(), logicalDpiY());
    move(place.topLeft());
    resize(place.size());
}

void MainWindow::saveSettings()
{
    if (isMinimized())
        return;
    WindowSettings().write(WindowSettings::fromPixels(QRect(pos(), size()), logicalDpiX(), logicalDpiY()));
}

void MainWindow::closeDatabase()
{
    QWidget message(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    message.setObjectName(QStringLiteral("frmCloseMsg"));
    auto* layout = new QVBoxLayout(&message);
    layout->addWidget(new QLabel(QStringLiteral("Closing Database Files"), &message));
    message.adjustSize();
    message.move(geometry().center() - message.rect().center());
    message.show();
    message.repaint();
    WaitCursor wait;
    m_context.dataSource().closeDB();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (!m_context.shutDownRequested()) {
        foodEditor().resolvePendingFood();
        // Unsaved builder entries are saved or let go first; a failed save keeps the program running.
        if (m_foodBuilder && !m_foodBuilder->queryClose()) {
            event->ignore();
            return;
        }
    }
    m_unloaded = true;
    m_finder->unload();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
    if (m_loaded)
        saveSettings();
    closeDatabase();
    event->accept();
}

void MainWindow::unload()
{
    close();
    // After a fatal failure, dialogs still open must not go on working on a
    // closed database: every event loop ends with the run. (With no loop
    // running yet, during the load, the start-up ends the run itself; an exit
    // then would only make the next loop end at once.)
    if (m_context.shutDownRequested() && QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(EXIT_FAILURE);
}

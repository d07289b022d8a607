#include "app/windowsettings.h"
#include "food/foodtree.h"
#include "shell/aboutwindow.h"
#include "widgets/helpwindow.h"
#include "widgets/icons.h"
#include "uitestsupport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidgetItemIterator>

static QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

// The main window's shell: menus, context menu and toolbar as listed and
// where they go, the pane layout and the smallest size, names for screen
// readers, the keyboard's context menu, the window's place in the settings,
// the meal drop-down, and the help and about windows the Help menu opens.
class MainWindowShellTest : public MainWindowTest
{
    Q_OBJECT

    // The inner height of the window in twips: the toolbar and the panes below it.
    double twipsHigh()
    {
        const int height = w().centralWidget()->height() + w().findChild<QToolBar*>("tbToolBar")->height();
        return height * 1440.0 / w().logicalDpiY();
    }

    QList<HelpWindow*> helpWindows() { return w().findChildren<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly); }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    // The captions (a toolbar button's tip) and keys of each menu and of the
    // toolbar, in order. (The items' names are those the other tests find them by.)
    void menusAndToolbarAsListed_data()
    {
        QTest::addColumn<QString>("container"); // "" for the menu bar
        QTest::addColumn<QString>("items");     // caption|shortcut, apart by "; "
        QTest::newRow("menu bar") << "" << "&File; &Edit; &Tools; &Help";
        QTest::newRow("File") << "mnuFile" << "&Back Up Database...; &Restore Database...; &Export Data...; &Import Data...; E&xit";
        QTest::newRow("Edit") << "mnuEdit"
                              << "New; View Diet Totals|F7; Diet Entry Details|F8; Food Item Details|F9; Copy Food To "
                                 "Favorites|Ctrl+Ins; Send Food to Food Builder|Ctrl+B; Cu&t|Ctrl+X; &Copy|Ctrl+C; "
                                 "&Paste|Ctrl+V; &Delete|Del; &Find|Ctrl+F; Find &Next|F3; Rename|F2";
        QTest::newRow("Edit, New") << "mnuEditNew" << "Food &Group; Food &Item";
        QTest::newRow("Tools") << "mnuTools"
                               << "&Configuration Options; &Food Builder; P&hysical Snapshot; &Produce Diet Report; "
                                  "Produce Diet &Graph; Produce &Snapshot Report; P&urge Diet Data; Pu&rge Snapshot "
                                  "Data; &Show Meal Choices";
        QTest::newRow("Help") << "mnuHelp" << "&Contents; &Search For Help On...; &About ";
        QTest::newRow("context") << "mnuPop_RTB"
                                 << "New; View Diet Totals; Edit Diet Entry Details; Edit Food Item Details; Copy "
                                    "Food To Favorites; Send Food to Food Builder; Cu&t; &Copy; &Paste; &Delete; Rename";
        QTest::newRow("context, New") << "mnuPop_RTB_New" << "Food Group; Food Item";
        QTest::newRow("toolbar") << "tbToolBar"
                                 << "Select User; Produce Diet Report; New Food Group; New Food Item; Cut the "
                                    "Selected Item; Copy the Selected Item; Paste; Delete Selected Item; Find; "
                                    "Physical Snapshot; Food Builder; Help";
        QTest::newRow("Report drop-down") << "tbReportMenu"
                                          << "Diet Activity Report; Diet Graph; SnapShot Activity Report";
    }
    void menusAndToolbarAsListed()
    {
        QFETCH(QString, container);
        QFETCH(QString, items);
        f->load();
        QWidget* widget = container.isEmpty() ? w().menuBar() : w().findChild<QWidget*>(container);
        const bool toolbar = qobject_cast<QToolBar*>(widget);
        QStringList shown;
        for (const QAction* action : widget->actions()) {
            if (action->isSeparator() || (action->objectName().isEmpty() && !action->menu()))
                continue; // the toolbar's date and meal boxes
            const QString keys = action->shortcut().toString(QKeySequence::PortableText);
            shown << (toolbar ? action->toolTip() : action->text()) + (keys.isEmpty() ? "" : '|' + keys);
            QVERIFY2(!toolbar || !action->icon().pixmap(16).isNull(), qPrintable(shown.last())); // drawn
        }
        QCOMPARE(shown, items.split("; "));
    }

    void everyImageKeyHasAPicture()
    {
        for (const char* key : {"closed", "open", "GroupClosed", "GroupOpen", "FoodItem", "DayClosed",
                                "DayOpen", "MealClosed", "MealOpen", "DietItem"})
            QVERIFY2(!Icons::tree(key).pixmap(16).isNull(), key);
    }

    // The Menu key and Shift+F10 open the context menu of the clicked food just
    // below it, as a right click on it would. (The diet tree's own keyboard
    // menu is tested with the diet tree.)
    void theContextMenuOpensFromTheKeyboard()
    {
        loadShown();
        clickFood("F60001");
        NodeTree* view = w().tvwFood;
        const QRect row = view->visualItemRect(view->node("F60001"));
        const QPoint below = view->viewport()->mapToGlobal(QPoint(row.left(), row.bottom()));
        for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Menu), Qt::ShiftModifier | Qt::Key_F10}) {
            QTest::keyClick(view, keys.key(), keys.keyboardModifiers());
            QVERIFY(w().mnuPop_RTB->isVisible());
            const QPoint at = w().mnuPop_RTB->pos();
            QVERIFY2(qAbs(at.y() - below.y()) <= 2 && at.x() >= below.x(),
                     qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
            w().mnuPop_RTB->hide();
        }
        QVERIFY(!w().state().popupPending);
    }

    // The first start shows the day, the meal and the caption whole; the panes
    // follow the window down to the lowest layout and the smallest size.
    void panesFollowTheWindowSizeDownToTheLowestLayout()
    {
        loadShown(); // at the default place, 6500 twips square
        for (QWidget* box : QList<QWidget*>{w().dtDatePick, w().cmbMeal})
            QVERIFY(box->isVisible() && w().rect().contains(QRect(box->mapTo(&w(), QPoint()), box->size())));
        QVERIFY(!w().findChild<QWidget*>("qt_toolbar_ext_button")->isVisible()); // nothing in the overflow
        QVERIFY(w().txtActivity->height() >= w().txtActivity->sizeHint().height());
        w().resize(300, 300); // no smaller than that, whatever is asked for
        QCOMPARE(w().size(), w().minimumSize());
        w().resize(900, 700);
        QTRY_COMPARE(w().size(), QSize(900, 700));
        // The diet tree below the food frame, the caption beside it at its height.
        QVERIFY(w().tvwDiet->geometry().top() > w().frameFood->geometry().bottom());
        QCOMPARE(w().txtActivity->geometry().height(), w().tvwDiet->geometry().height());
        // A window lower than 1751 twips keeps the last layout (if a window
        // manager lets it be smaller than its minimum).
        const QList<QRect> before = {w().frameFood->geometry(), w().tvwDiet->geometry()};
        w().setMinimumSize(0, 0);
        w().resize(820, 120);
        QTRY_COMPARE(w().width(), 820);
        QVERIFY2(twipsHigh() <= 1750, qPrintable(QString::number(twipsHigh())));
        QCOMPARE((QList<QRect>{w().frameFood->geometry(), w().tvwDiet->geometry()}), before);
    }

    void thePlaceIsReadFromTheSettingsAndStoredUnlessMinimised_data()
    {
        QTest::addColumn<bool>("minimised");
        QTest::newRow("normal") << false;
        QTest::newRow("minimised") << true;
    }
    void thePlaceIsReadFromTheSettingsAndStoredUnlessMinimised()
    {
        QFETCH(bool, minimised);
        const WindowPlacement stored = {1500, 1200, 11000, 7200};
        WindowSettings().write(stored);
        loadShown();
        const int dpiX = w().logicalDpiX(), dpiY = w().logicalDpiY();
        QCOMPARE(QRect(w().pos(), w().size()), WindowSettings::toPixels(stored, dpiX, dpiY));
        w().move(120, 90);
        w().resize(700, 480);
        if (minimised) {
            w().showMinimized();
            QTRY_VERIFY(w().isMinimized());
        }
        w().close();
        QCOMPARE(WindowSettings().read(),
                 minimised ? stored
                           : WindowSettings::fromPixels(QRect(w().pos(), QSize(700, 480)), dpiX, dpiY));
        QVERIFY(!f->ctx().dataSource().isConnected()); // closed behind "Closing Database Files"
    }

    // Only exactly "Y" shows the meal list at load; the menu item's mark follows it.
    // The list offers the meals in use.
    void showMealsAtLoad_data()
    {
        QTest::addColumn<QString>("stored"); // "-" for no SHOWMEALS item at all
        for (const char* stored : {"Y", "y", "-"})
            QTest::newRow(stored) << stored;
    }
    void showMealsAtLoad()
    {
        QFETCH(QString, stored);
        const bool shown = stored == "Y";
        f->test.exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'SHOWMEALS'", {stored});
        if (stored == "-")
            f->test.exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWMEALS'");
        loadShown();
        QCOMPARE(w().cmbMeal->isVisible(), shown);
        QCOMPARE(w().cmbMeal->currentText() + "|" + QString::number(w().cmbMeal->count()), "Select a Meal|5");
        QAction* menu = action("mnuToolsShowMeals");
        QCOMPARE(menu->isChecked(), shown);
        // The menu item turns it round and stores the switch.
        menu->trigger();
        QTRY_COMPARE(w().cmbMeal->isVisible(), !shown);
        QCOMPARE(f->test.scalar("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = 'SHOWMEALS'"),
                 stored == "-" ? QVariant() : QVariant(shown ? "N" : "Y"));
    }

    // The bundled help pages and their index, the help window, and the about window.
    void everyKeywordAndLinkLeadsToAPlaceOnAPage()
    {
        HelpWindow::registerBundledPages();
        const HelpCatalogue help;
        auto leads = [&help](const QString& file, const QString& anchor) {
            return help.topic(file) && (anchor.isEmpty() || help.pageHtml(file).contains("id=\"" + anchor + "\""));
        };
        QVERIFY(help.keywords().size() > 100);
        for (const HelpKeyword& k : help.keywords())
            QVERIFY2(leads(k.file, k.anchor), qPrintable(k.keyword));
        for (int i = 1; i < help.keywords().size(); ++i) // alphabetical without regard to case
            QVERIFY(help.keywords()[i - 1].keyword.compare(help.keywords()[i].keyword, Qt::CaseInsensitive) <= 0);
        static const QRegularExpression link("href=\"([^\"#]*)(?:#([^\"]*))?\"");
        for (const HelpTopic& topic : help.topics()) {
            for (const QRegularExpressionMatch& m : link.globalMatch(help.pageHtml(topic.file)))
                QVERIFY2(leads(m.captured(1).isEmpty() ? topic.file : m.captured(1), m.captured(2)),
                         qPrintable(topic.file + " -> " + m.captured(0)));
        }
    }

    void theHelpWindowReachesEveryPage()
    {
        f->load();
        w().commands().action(Command::HelpContents, Surface::Menu)->trigger();
        HelpWindow* window = helpWindows().value(0);
        QVERIFY(window);
        QCOMPARE(window->windowTitle() + "|" + window->currentFile(), "Corvane's Foodlark Help|welcome.html");
        QStringList opened;
        for (QTreeWidgetItemIterator it(window->tvwContents, QTreeWidgetItemIterator::NoChildren); *it; ++it) {
            window->tvwContents->setCurrentItem(*it);
            QVERIFY(window->browser->documentTitle() == (*it)->text(0) && window->browser->toPlainText().size() > 200);
            opened << window->currentFile();
        }
        opened.sort();
        QCOMPARE(opened, QDir(HelpCatalogue::kBundledRoot).entryList({"*.html"}, QDir::Files, QDir::Name));
        // The toolbar's Help button and Search For Help On show the same window again.
        w().commands().action(Command::HelpContents, Surface::Toolbar)->trigger();
        w().commands().action(Command::HelpSearch, Surface::Menu)->trigger();
        QCOMPARE(helpWindows(), QList<HelpWindow*>{window});
        // Keywords and the text search find pages.
        QCOMPARE(window->tabs->currentIndex(), 1);
        QTest::keyClicks(window->txtKeyword, "mark pref");
        QCOMPARE(texts(window->lstKeywords), QStringList{"Mark Preferred"});
        QTest::keyClick(window->txtKeyword, Qt::Key_Return);
        QCOMPARE(window->currentFile() + "#" + window->browser->source().fragment(), QString("loggingfood.html#servings"));
        // A keyword of several pages names each page.
        window->txtKeyword->clear();
        QTest::keyClicks(window->txtKeyword, "delet");
        QCOMPARE(texts(window->lstKeywords).mid(0, 2),
                 (QStringList{"delete \u2013 Organizing Foods", "delete \u2013 Changing Diet Entries"}));
        // The text search wants every word and lists the pages whose title has them first.
        window->tabs->setCurrentIndex(2);
        window->txtSearch->setText("xylophone");
        window->cmdSearch->click();
        QCOMPARE(texts(window->lstResults), QStringList{"No topics found."});
        window->txtSearch->setText("snapshot purge");
        window->cmdSearch->click();
        QCOMPARE(texts(window->lstResults),
                 (QStringList{"Physical Snapshots", "Menu Commands", "Purging Old Data",
                              "Backups and Restoring", "Configuration Options"}));
    }

    void missingPagesAreReportedAndAboutShowsTheMaker()
    {
        f->load();
        QTemporaryDir empty;
        QVERIFY(!HelpWindow::showContents(f->ctx(), &w(), empty.path()));
        QVERIFY(!HelpWindow::showContext(f->ctx(), &w(), 30, empty.path()));
        QVERIFY(helpWindows().isEmpty());
        QCOMPARE(f->prompts().texts(), QStringList(2, "Unable to display Help Contents. "
                                                      "There is no Help associated with this project."));
        QCOMPARE(f->prompts().last().icon, PromptIcon::Information);
        // The about window, which needs no pages.
        QVERIFY(onDialog<AboutWindow>([this] { w().commands().action(Command::About, Surface::Menu)->trigger(); },
                                      [this](AboutWindow& about) {
                                          QCOMPARE(about.windowTitle(), QString("About Corvane's Foodlark"));
                                          QCOMPARE(about.lblInternet->text(), "Internet:  " + f->ctx().webAddress);
                                          QCOMPARE(about.lblDataFolder->text(),
                                                   "Data folder:  " + f->test.folder.path() + "/Data");
                                          QVERIFY(about.lblEmail->text().contains(f->ctx().supportAddress) &&
                                                  about.lblLegal->text().contains("public domain"));
                                      }));
    }
};

QTEST_MAIN(MainWindowShellTest)
#include "tst_mainwindowshell.moc"

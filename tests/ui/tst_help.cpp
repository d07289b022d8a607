#include "mainwindowfixture.h"
#include "ui/helpcatalogue.h"
#include "ui/helpwindow.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

QStringList bundledPages()
{
    HelpWindow::registerBundledPages();
    return QDir(HelpCatalogue::kBundledRoot).entryList({"*.html"}, QDir::Files, QDir::Name);
}

bool hasAnchor(const HelpCatalogue& help, const QString& file, const QString& anchor)
{
    return help.pageHtml(file).contains(QStringLiteral("id=\"%1\"").arg(anchor));
}

QList<HelpWindow*> helpWindowsOf(QWidget* owner)
{
    return owner->findChildren<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

// The bundled help pages and their index, and the help window.
class HelpTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { HelpWindow::registerBundledPages(); }

    void everyPageIsInTheContents()
    {
        const HelpCatalogue help;
        QVERIFY(help.isValid());
        QStringList listed;
        QSet<int> contexts;
        for (const HelpTopic& topic : help.topics()) {
            listed << topic.file;
            QVERIFY2(help.pageExists(topic.file), qPrintable(topic.file));
            QVERIFY2(topic.context > 0 && !contexts.contains(topic.context), qPrintable(topic.file));
            contexts.insert(topic.context);
        }
        listed.sort();
        QCOMPARE(listed, bundledPages());
        QCOMPARE(QSet<QString>(listed.begin(), listed.end()).size(), listed.size());
        QVERIFY(help.pageExists(help.home()));
    }

    void pagesAreTitledAsInTheContents()
    {
        const HelpCatalogue help;
        static const QRegularExpression title("<title>(.*)</title>");
        static const QRegularExpression heading("<h1>(.*)</h1>");
        for (const HelpTopic& topic : help.topics()) {
            const QString html = help.pageHtml(topic.file);
            QCOMPARE(title.match(html).captured(1), topic.title);
            QCOMPARE(heading.match(html).captured(1), topic.title);
        }
    }

    void everyKeywordLeadsToAPlaceOnAPage()
    {
        const HelpCatalogue help;
        QVERIFY(help.keywords().size() > 100);
        for (const HelpKeyword& k : help.keywords()) {
            QVERIFY2(help.topic(k.file), qPrintable(k.keyword));
            QVERIFY2(!k.keyword.isEmpty(), qPrintable(k.file));
            if (!k.anchor.isEmpty())
                QVERIFY2(hasAnchor(help, k.file, k.anchor), qPrintable(k.keyword + " -> " + k.anchor));
        }
        // Alphabetical without regard to case.
        for (int i = 1; i < help.keywords().size(); ++i)
            QVERIFY(help.keywords()[i - 1].keyword.compare(help.keywords()[i].keyword, Qt::CaseInsensitive) <=
                    0);
    }

    void everyLinkLeadsToAPlaceOnAPage()
    {
        const HelpCatalogue help;
        static const QRegularExpression link("href=\"([^\"#]*)(?:#([^\"]*))?\"");
        int links = 0;
        for (const HelpTopic& topic : help.topics()) {
            for (const QRegularExpressionMatch& m : link.globalMatch(help.pageHtml(topic.file))) {
                const QString file = m.captured(1).isEmpty() ? topic.file : m.captured(1);
                const QString where = topic.file + " -> " + m.captured(0);
                QVERIFY2(help.topic(file), qPrintable(where));
                if (!m.captured(2).isEmpty())
                    QVERIFY2(hasAnchor(help, file, m.captured(2)), qPrintable(where));
                ++links;
            }
        }
        QVERIFY(links > 50);
    }

    void everyMenuCommandIsDescribed()
    {
        MainWindowFixture f;
        f.load();
        const HelpCatalogue help;
        const QString menus = help.pageText("menus.html");
        for (QAction* action : f.main().findChildren<QAction*>()) {
            if (!action->objectName().startsWith("mnu") || action->text().isEmpty() || action->menu())
                continue;
            const QString caption = action->text().remove('&').trimmed();
            QVERIFY2(menus.contains(caption), qPrintable(caption));
        }
        const QString toolbar = help.pageText("toolbar.html");
        for (QAction* action : f.main().findChildren<QAction*>()) {
            if (action->objectName().startsWith("tb"))
                QVERIFY2(toolbar.contains(action->toolTip()), qPrintable(action->toolTip()));
        }
    }

    void contentsOpenEveryPage()
    {
        MainWindowFixture f;
        f.load();
        f.main().commands().action(Command::HelpContents, Surface::Menu)->trigger();
        const QList<HelpWindow*> windows = helpWindowsOf(&f.main());
        QCOMPARE(windows.size(), 1);
        HelpWindow* window = windows.first();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Corvane's Foodlark Help"));
        QCOMPARE(window->tabs->currentIndex(), 0);
        QCOMPARE(window->currentFile(), QString("welcome.html"));

        const HelpCatalogue& help = window->catalogue();
        QCOMPARE(window->tvwContents->topLevelItemCount(), help.sections().size());
        int opened = 0;
        for (int s = 0; s < window->tvwContents->topLevelItemCount(); ++s) {
            QTreeWidgetItem* section = window->tvwContents->topLevelItem(s);
            for (int t = 0; t < section->childCount(); ++t) {
                window->tvwContents->setCurrentItem(section->child(t));
                const HelpTopic* topic = help.topic(window->currentFile());
                QVERIFY(topic);
                QCOMPARE(section->child(t)->text(0), topic->title);
                QCOMPARE(window->browser->documentTitle(), topic->title);
                QVERIFY(window->browser->toPlainText().size() > 200);
                ++opened;
            }
        }
        QCOMPARE(opened, help.topics().size());

        // The toolbar's Help button shows the same window again.
        f.main().commands().action(Command::HelpContents, Surface::Toolbar)->trigger();
        QCOMPARE(helpWindowsOf(&f.main()), windows);
    }

    void backAndForward()
    {
        MainWindowFixture f;
        f.load();
        HelpWindow* window = HelpWindow::showContents(f.ctx(), &f.main());
        QVERIFY(window);
        QVERIFY(!window->actBack->isEnabled());
        window->showTopic("purge.html");
        window->showTopic("options.html", "meals");
        QCOMPARE(window->browser->source().fragment(), QString("meals"));
        window->actBack->trigger();
        QCOMPARE(window->currentFile(), QString("purge.html"));
        QCOMPARE(window->tvwContents->currentItem()->text(0), QString("Purging Old Data"));
        window->actBack->trigger();
        QCOMPARE(window->currentFile(), QString("welcome.html"));
        QVERIFY(!window->actBack->isEnabled());
        window->actForward->trigger();
        QCOMPARE(window->currentFile(), QString("purge.html"));
        window->actHome->trigger();
        QCOMPARE(window->currentFile(), QString("welcome.html"));
    }

    void searchForHelpOpensTheKeywordIndex()
    {
        MainWindowFixture f;
        f.load();
        f.main().commands().action(Command::HelpSearch, Surface::Menu)->trigger();
        HelpWindow* window = helpWindowsOf(&f.main()).value(0);
        QVERIFY(window);
        QCOMPARE(window->tabs->currentIndex(), 1);
        QCOMPARE(window->lstKeywords->count(), window->catalogue().keywords().size());

        QTest::keyClicks(window->txtKeyword, "mark pref");
        QCOMPARE(window->lstKeywords->count(), 1);
        QCOMPARE(window->lstKeywords->item(0)->text(), QString("Mark Preferred"));
        QTest::keyClick(window->txtKeyword, Qt::Key_Return);
        QCOMPARE(window->currentFile(), QString("loggingfood.html"));
        QCOMPARE(window->browser->source().fragment(), QString("servings"));

        // A keyword of several pages names each page; those starting with the text come first.
        window->txtKeyword->clear();
        QTest::keyClicks(window->txtKeyword, "delet");
        QStringList shown;
        for (int i = 0; i < window->lstKeywords->count(); ++i)
            shown << window->lstKeywords->item(i)->text();
        QCOMPARE(shown.mid(0, 3),
                 (QStringList{"delete \u2013 Organizing Foods", "delete \u2013 Changing Diet Entries",
                              "delete \u2013 Purging Old Data"}));
        QVERIFY(shown.contains("food group, deleting"));
        QTest::mouseClick(window->lstKeywords->viewport(), Qt::LeftButton, {},
                          window->lstKeywords->visualItemRect(window->lstKeywords->item(1)).center());
        QCOMPARE(window->currentFile(), QString("dietediting.html"));
    }

    void searchFindsPagesByTheirText_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("one page") << "creatine" << QStringList{"Configuration Options"};
        QTest::newRow("all words") << "Gridlines print" << QStringList{"The Diet Report"};
        QTest::newRow("title first") << "snapshot purge"
                                     << QStringList{"Physical Snapshots", "Menu Commands", "Purging Old Data",
                                                    "Configuration Options"};
        QTest::newRow("nothing") << "xylophone" << QStringList{"No topics found."};
    }

    void searchFindsPagesByTheirText()
    {
        QFETCH(QString, words);
        QFETCH(QStringList, titles);
        TestContext test;
        HelpWindow* window = HelpWindow::showContents(test.ctx(), nullptr);
        QVERIFY(window);
        window->tabs->setCurrentIndex(2);
        QTest::keyClicks(window->txtSearch, words);
        QTest::mouseClick(window->cmdSearch, Qt::LeftButton);
        QStringList shown;
        for (int i = 0; i < window->lstResults->count(); ++i)
            shown << window->lstResults->item(i)->text();
        QCOMPARE(shown, titles);
        window->close();
    }

    void snapshotContextOpensTheSnapshotPage()
    {
        MainWindowFixture f;
        f.load();
        HelpWindow* window = HelpWindow::showContext(f.ctx(), &f.main(), HelpCatalogue::kSnapshotContext);
        QVERIFY(window);
        QCOMPARE(HelpCatalogue::kSnapshotContext, 30);
        QCOMPARE(window->currentFile(), QString("snapshot.html"));
        QCOMPARE(window->browser->documentTitle(), QString("Physical Snapshots"));
        QCOMPARE(window->tvwContents->currentItem()->text(0), QString("Physical Snapshots"));
    }

    void helpFromAModalWindowBelongsToIt()
    {
        MainWindowFixture f;
        f.load();
        QPointer<HelpWindow> help;
        auto* dialog = new QDialog(&f.main());
        whenModal([&](QWidget* modal) {
            help = HelpWindow::showContext(f.ctx(), modal, HelpCatalogue::kSnapshotContext);
            modal->close();
        });
        dialog->exec();
        QVERIFY(help);
        QCOMPARE(help->parentWidget(), dialog);
        QVERIFY(helpWindowsOf(&f.main()).isEmpty());
        delete dialog;
        QVERIFY(!help);
    }

    void missingPagesAreReported_data()
    {
        QTest::addColumn<int>("entry");
        QTest::newRow("contents") << 0;
        QTest::newRow("search") << 1;
        QTest::newRow("context") << 2;
    }

    void missingPagesAreReported()
    {
        QFETCH(int, entry);
        TestContext test;
        QTemporaryDir empty;
        QWidget owner;
        HelpWindow* window = entry == 0   ? HelpWindow::showContents(test.ctx(), &owner, empty.path())
                             : entry == 1 ? HelpWindow::showSearch(test.ctx(), &owner, empty.path())
                                          : HelpWindow::showContext(test.ctx(), &owner, 30, empty.path());
        QVERIFY(!window);
        QVERIFY(helpWindowsOf(&owner).isEmpty());
        QCOMPARE(test.prompts.count(), 1);
        QCOMPARE(test.prompts.last().text,
                 QString("Unable to display Help Contents. There is no Help associated with this project."));
        QCOMPARE(test.prompts.last().icon, PromptIcon::Information);
        QCOMPARE(test.prompts.last().buttons, PromptButtons::Ok);
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"

#include "ui/aboutwindow.h"
#include "ui/helpwindow.h"
#include "uitestsupport.h"

#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidgetItemIterator>

static QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

// The bundled help pages and their index, the help window, and the about window.
class HelpTest : public MainWindowTest
{
    Q_OBJECT

    QList<HelpWindow*> helpWindows() { return w().findChildren<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly); }

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        f->load();
    }
    void cleanup() { f.reset(); }

    void everyPageIsReachableFromTheContents()
    {
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
        // The toolbar's Help button shows the same window again.
        w().commands().action(Command::HelpContents, Surface::Toolbar)->trigger();
        QCOMPARE(helpWindows(), QList<HelpWindow*>{window});
    }

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

    void keywordsAndTextSearchFindPages()
    {
        w().commands().action(Command::HelpSearch, Surface::Menu)->trigger();
        HelpWindow* window = helpWindows().value(0);
        QVERIFY(window);
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

    void missingPagesAreReported()
    {
        QTemporaryDir empty;
        QVERIFY(!HelpWindow::showContents(f->ctx(), &w(), empty.path()));
        QVERIFY(!HelpWindow::showContext(f->ctx(), &w(), 30, empty.path()));
        QVERIFY(helpWindows().isEmpty());
        QCOMPARE(f->prompts().texts(), QStringList(2, "Unable to display Help Contents. "
                                                      "There is no Help associated with this project."));
        QCOMPARE(f->prompts().last().icon, PromptIcon::Information);
    }

    void aboutShowsTheMaker()
    {
        QVERIFY(onDialog<AboutWindow>([this] { w().commands().action(Command::About, Surface::Menu)->trigger(); },
                                      [this](AboutWindow& about) {
                                          QCOMPARE(about.windowTitle(), QString("About Corvane's Foodlark"));
                                          QVERIFY(!about.picIcon->pixmap().isNull());
                                          QCOMPARE(about.lblInternet->text(), "Internet:  " + f->ctx().webAddress);
                                          QVERIFY(about.lblEmail->text().contains(f->ctx().supportAddress) &&
                                                  about.lblLegal->text().contains("public domain"));
                                          QTest::mouseClick(about.cmdOK, Qt::LeftButton);
                                          QVERIFY(!about.isVisible());
                                      }));
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"

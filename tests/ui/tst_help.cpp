#include "mainwindowfixture.h"
#include "ui/helpwindow.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

QList<HelpWindow*> helpWindowsOf(QWidget* owner)
{
    return owner->findChildren<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

} // namespace

// The bundled help pages and their index, and the help window.
class HelpTest : public QObject
{
    Q_OBJECT

private slots:
    void everyPageIsReachableFromTheContents()
    {
        MainWindowFixture f;
        f.load();
        f.main().commands().action(Command::HelpContents, Surface::Menu)->trigger();
        HelpWindow* window = helpWindowsOf(&f.main()).value(0);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QString("Corvane's Foodlark Help"));
        QCOMPARE(window->currentFile(), QString("welcome.html"));
        QStringList opened;
        for (int s = 0; s < window->tvwContents->topLevelItemCount(); ++s) {
            QTreeWidgetItem* section = window->tvwContents->topLevelItem(s);
            for (int t = 0; t < section->childCount(); ++t) {
                window->tvwContents->setCurrentItem(section->child(t));
                QCOMPARE(window->browser->documentTitle(), section->child(t)->text(0));
                QVERIFY(window->browser->toPlainText().size() > 200);
                opened << window->currentFile();
            }
        }
        opened.sort();
        QCOMPARE(opened, QDir(HelpCatalogue::kBundledRoot).entryList({"*.html"}, QDir::Files, QDir::Name));
        // The toolbar's Help button shows the same window again.
        f.main().commands().action(Command::HelpContents, Surface::Toolbar)->trigger();
        QCOMPARE(helpWindowsOf(&f.main()), QList<HelpWindow*>{window});
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

    void everyMenuCommandIsDescribed()
    {
        MainWindowFixture f;
        f.load();
        const HelpCatalogue help;
        for (QAction* action : f.main().findChildren<QAction*>()) {
            if (action->objectName().startsWith("mnu") && !action->text().isEmpty() && !action->menu())
                QVERIFY2(help.pageText("menus.html").contains(action->text().remove('&').trimmed()),
                         qPrintable(action->text()));
            if (action->objectName().startsWith("tb"))
                QVERIFY2(help.pageText("toolbar.html").contains(action->toolTip()), qPrintable(action->toolTip()));
        }
    }

    void keywordsAndTextSearchFindPages()
    {
        MainWindowFixture f;
        f.load();
        f.main().commands().action(Command::HelpSearch, Surface::Menu)->trigger();
        HelpWindow* window = helpWindowsOf(&f.main()).value(0);
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
        // Back returns along the pages read.
        window->actBack->trigger();
        QCOMPARE(window->currentFile(), QString("welcome.html"));
        window->actForward->trigger();
        QCOMPARE(window->currentFile(), QString("loggingfood.html"));
    }

    void theSnapshotContextBelongsToItsWindow()
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
        QCOMPARE(HelpCatalogue::kSnapshotContext, 30);
        QCOMPARE(help->currentFile(), QString("snapshot.html"));
        QCOMPARE(help->tvwContents->currentItem()->text(0), QString("Physical Snapshots"));
        QCOMPARE(help->parentWidget(), dialog);
        delete dialog;
        QVERIFY(!help);
    }

    void missingPagesAreReported()
    {
        TestContext test;
        QTemporaryDir empty;
        QWidget owner;
        QVERIFY(!HelpWindow::showContents(test.ctx(), &owner, empty.path()));
        QVERIFY(!HelpWindow::showContext(test.ctx(), &owner, 30, empty.path()));
        QVERIFY(helpWindowsOf(&owner).isEmpty());
        QCOMPARE(test.prompts.texts(), QStringList(2, "Unable to display Help Contents. "
                                                      "There is no Help associated with this project."));
        QCOMPARE(test.prompts.last().icon, PromptIcon::Information);
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"

#include "databasefiles.h"
#include "shell/introduction.h"
#include "shell/messageboxprompts.h"
#include "shell/program.h"
#include "shell/splashwindow.h"
#include "shell/startupwindows.h"
#include "shell/tipwindow.h"
#include "uitestsupport.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

// The start-up's windows: the splash while the main window loads, the main
// window shown only after the splash is gone, the introduction offered over
// it and its start-up switch, and the end of the program when loading fails.
class StartupWindowsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir configHome;
    std::unique_ptr<TestContext> t;

    static int visible(bool splashOnly = false)
    {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            count += widget->isVisible() && (!splashOnly || qobject_cast<SplashWindow*>(widget)) ? 1 : 0;
        return count;
    }

private slots:
    void initTestCase()
    {
        // The main window reads and writes its place: in a folder of this test
        // alone, never in the user's settings.
        QVERIFY(configHome.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    }
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup()
    {
        t.reset();
        QCOMPARE(visible(), 0);
    }

    void theSplashShowsTheArtworkAndClosesOnAClickOrAKey()
    {
        for (const bool click : {true, false}) {
            SplashWindow splash;
            QVERIFY(!splash.findChild<QLabel*>("picLogo")->pixmap().isNull());
            splash.show();
            QVERIFY(QTest::qWaitForWindowExposed(&splash));
            click ? QTest::mouseClick(&splash, Qt::LeftButton) : QTest::keyClick(&splash, Qt::Key_Space);
            QVERIFY(!splash.isVisible());
        }
    }

    // A box on the screen: its icon and buttons, the answer, the text as
    // typed (never markup), and never behind the splash.
    void messageBoxesShowPlainTextAboveTheSplash()
    {
        const QString text = "Delete all Diet Data for <b>Lunch</b> &amp; <i>tea</i>?";
        SplashWindow splash;
        splash.show();
        QString seen;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            const bool plain = box->textFormat() == Qt::PlainText && box->icon() == QMessageBox::Critical;
            seen = QStringList{box->windowTitle(), box->text(), plain ? "plain" : "", splash.isVisible() ? "" : "above"}
                       .join('|');
            box->button(QMessageBox::No)->click();
        });
        QCOMPARE(MessageBoxPrompts().ask({PromptIcon::Critical, PromptButtons::YesNo, "Application Error", text}),
                 PromptAnswer::No);
        QCOMPARE(seen, "Application Error|" + text + "|plain|above");
    }

    void theSplashShowsWhileTheMainWindowLoads_data()
    {
        QTest::addColumn<QString>("showTips");
        QTest::addColumn<int>("introductions");
        QTest::newRow("introduction on") << "Y" << 1;
        QTest::newRow("only for exactly Y") << "y" << 0;
        QTest::newRow("not without the item") << "-" << 0;
    }
    void theSplashShowsWhileTheMainWindowLoads()
    {
        QFETCH(QString, showTips);
        QFETCH(int, introductions);
        if (showTips == "-")
            t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'SHOWTIPS'", {showTips});
        QVERIFY(t->ctx().dataSource().cmdConfig());
        bool splashDuringLoad = false, hiddenDuringLoad = false;
        int offered = 0;
        StartupWindows windows;
        windows.loadMainWindow = [&](AppContext& context) {
            auto window = loadMainWindow<MainWindow>(context);
            splashDuringLoad = visible(true) == 1;
            hiddenDuringLoad = !window->isVisible();
            return window;
        };
        windows.showIntroduction = [&](AppContext& context, QMainWindow& window) {
            ++offered;
            QCOMPARE(visible(true), 0); // over the shown main window, the splash gone
            QVERIFY(window.isVisible() && context.mainWindow == &window);
        };
        const std::unique_ptr<QMainWindow> window = openWindows(t->ctx(), windows);
        QVERIFY(window && window->isVisible() && splashDuringLoad && hiddenDuringLoad && visible(true) == 0);
        QCOMPARE(offered, introductions);
        QCOMPARE(window->windowTitle() + "|" + t->ctx().currentUser, "Corvane's Foodlark 3.0.0|USER1");
        // A fatal data failure unloads the main window, which ends the program.
        t->ctx().fatalError(QStringLiteral("Unable to retrieve Diet Data.  "));
        QVERIFY(!window->isVisible() && !t->ctx().dataSource().isConnected());
    }

    // The program as it runs over a program folder: the database opened, the
    // main window shown, the real introduction over it (whose box is stored),
    // and the end of the run when the window closes.
    void theProgramRunsFromItsFolder()
    {
        t.reset(); // the folder below is the only database open
        FixtureFolder folder;
        ScriptedPrompts prompts;
        QString introduction;
        whenModal([&](QWidget* modal) {
            auto* tip = qobject_cast<TipWindow*>(modal);
            QVERIFY(tip);
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (qobject_cast<MainWindow*>(window) && window->isVisible())
                    introduction = window->windowTitle();
            }
            // The text's breaks as paragraphs, for reading only.
            introduction += QStringList{"", tip->windowTitle(), tip->chkLoadTipsAtStartup->text(),
                                        tip->cmdOK->text(), QString::number(tip->rtbTip->isReadOnly()),
                                        tip->rtbTip->toPlainText()}
                                .join(" | ");
            for (int i = 0; i < 3; ++i)
                tip->chkLoadTipsAtStartup->click(); // off, on, off: no introduction next time
            tip->cmdOK->click();
            // The user ends the run once the program waits in its event loop.
            pollUntil([] {
                if (QThread::currentThread()->loopLevel() != 1 || QApplication::activeModalWidget())
                    return false;
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    if (qobject_cast<MainWindow*>(window)) {
                        window->close(); // which closes the other windows too
                        break;
                    }
                }
                return true;
            });
        });
        QCOMPARE(runProgramIn(folder.data(), prompts), EXIT_SUCCESS);
        QString text = introductionText();
        QVERIFY(text.size() == 663 && text.startsWith("Do you know everything about what you are putting into") &&
                text.contains("the facts at hand.\r\n\r\nFortunately, with Corvane's Foodlark, ") &&
                text.endsWith("With Corvane's Foodlark, you can take the mystery out of the food you eat. "));
        QCOMPARE(introduction, "Corvane's Foodlark 3.0.0 | Corvane's Foodlark Introduction | &Show at Startup | "
                               "Continue | 1 | " + text.replace("\r\n", "\n"));
        QCOMPARE(prompts.count() + visible(), 0);
        // Closed by the program, so no longer held by it.
        QCOMPARE(fileRows(folder.dbPath(), "SELECT ConfigValue FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'"),
                 QList<QVariantList>{{"N"}});
    }

    // Damage that the check after the start finds while the introduction is
    // open (before the program's event loop runs) ends the program once its
    // box is answered: no loop is left running without a window.
    void damageFoundDuringTheIntroductionEndsTheProgram()
    {
        t.reset();
        FixtureFolder folder;
        QVERIFY(DatabaseFiles::runSession(folder.path(), 2, DatabaseFiles::Ending::Clean));
        QVERIFY(DatabaseFiles::damagePage(folder.dbPath(), "SNAPSHOT") > 0); // not read at the start
        ScriptedPrompts prompts;
        // Once the box is answered, a loop that still runs is one without a window.
        bool stranded = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            stranded = true;
            QCoreApplication::exit(0);
        });
        bool told = false;
        whenModal([&](QWidget* modal) {
            QVERIFY(qobject_cast<TipWindow*>(modal));
            told = QTest::qWaitFor([&] { return prompts.count() > 0; }, 30000);
            guard.start(0);
        });
        QCOMPARE(runProgramIn(folder.data(), prompts), EXIT_FAILURE);
        QVERIFY(told && !stranded);
        QVERIFY2(prompts.last().text.contains("is damaged: the database engine's check found"),
                 qPrintable(prompts.last().text));
        QCOMPARE(visible(), 0);
    }

    // A fatal data failure while loading, or no main window at all.
    void aFailedLoadEndsTheProgram()
    {
        for (const bool fatal : {true, false}) {
            t = std::make_unique<TestContext>();
            int offered = 0;
            StartupWindows windows;
            windows.loadMainWindow = [&](AppContext& context) -> std::unique_ptr<QMainWindow> {
                auto window = std::make_unique<MainWindow>(context);
                window->load();
                if (!fatal)
                    return nullptr;
                context.fatalError(QStringLiteral("Unable to retrieve Food Data.  "));
                return window;
            };
            windows.showIntroduction = [&](AppContext&, QMainWindow&) { ++offered; };
            QCOMPARE(openWindows(t->ctx(), windows), nullptr);
            QCOMPARE(offered + visible(), 0);
            QCOMPARE(t->ctx().mainWindow, nullptr);
            QCOMPARE(t->prompts.count() == 1 ? t->prompts.last().title : "none", fatal ? "Application Error" : "none");
        }
    }
};

QTEST_MAIN(StartupWindowsTest)
#include "tst_startupwindows.moc"

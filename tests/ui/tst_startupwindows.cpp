#include "app/appcontext.h"
#include "app/windowsettings.h"
#include "data/orvdatasource.h"
#include "fixture.h"
#include "ui/mainwindow.h"
#include "ui/splashwindow.h"
#include "ui/startupwindows.h"

#include <QApplication>
#include <QLabel>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The start-up's windows: the splash while the main window loads, the main
// window shown only after the splash is gone, the introduction offered over
// it, and the end of the program when loading fails.
class StartupWindowsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<TestContext> t;

    static QWidget* visibleSplash()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<SplashWindow*>(widget) && widget->isVisible())
                return widget;
        }
        return nullptr;
    }

    static int visibleWindows()
    {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            count += widget->isVisible() ? 1 : 0;
        return count;
    }

    void setTips(const QString& value)
    {
        if (value.isNull())
            t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        else
            t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'SHOWTIPS'", {value});
        QVERIFY(t->ctx().dataSource().cmdConfig());
    }

private slots:
    void initTestCase()
    {
        // The main window reads and writes its place: in a folder of this test
        // alone, never in the user's settings.
        QVERIFY(configHome.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
        QCOMPARE(QSettings(QStringLiteral("Foodlark"), QStringLiteral("Foodlark")).fileName(),
                 configHome.filePath("Foodlark/Foodlark.conf"));
    }
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup()
    {
        t.reset();
        QCOMPARE(visibleWindows(), 0);
    }
    void splashPictureShowsTheArtwork()
    {
        const QImage picture = SplashWindow::picture().toImage();
        QCOMPARE(picture.size(), QSize(520, 280));
        // A drawing, not an empty or one-coloured area: count the colours in it.
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 2) {
            for (int x = 0; x < picture.width(); x += 2)
                colours.insert(picture.pixel(x, y));
        }
        QVERIFY2(colours.size() > 200, qPrintable(QString::number(colours.size())));
        // Twice the resolution on a high-density screen, the same size on screen.
        const QPixmap sharp = SplashWindow::picture(2.0);
        QCOMPARE(sharp.size(), QSize(1040, 560));
        QCOMPARE(sharp.deviceIndependentSize(), QSizeF(520, 280));

        SplashWindow splash;
        const QLabel* logo = splash.findChild<QLabel*>("picLogo");
        QVERIFY(logo);
        QCOMPARE(logo->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 picture.convertToFormat(QImage::Format_RGB32));
    }

    void splashClosesOnAClickOrAKey_data()
    {
        QTest::addColumn<bool>("click");
        QTest::newRow("click") << true;
        QTest::newRow("key") << false;
    }
    void splashClosesOnAClickOrAKey()
    {
        QFETCH(bool, click);
        SplashWindow splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        if (click)
            QTest::mouseClick(&splash, Qt::LeftButton);
        else
            QTest::keyClick(&splash, Qt::Key_Space);
        QVERIFY(!splash.isVisible());
    }

    void splashShowsWhileTheMainWindowLoads()
    {
        bool splashDuringLoad = false;
        bool windowHiddenDuringLoad = false;
        bool splashDuringIntroduction = true;
        bool windowShownDuringIntroduction = false;
        int introductions = 0;
        StartupWindows windows;
        windows.loadMainWindow = [&](AppContext& context) {
            auto window = loadMainWindow<MainWindow>(context);
            splashDuringLoad = visibleSplash() != nullptr;
            windowHiddenDuringLoad = !window->isVisible();
            return window;
        };
        windows.showIntroduction = [&](AppContext& context, QMainWindow& window) {
            ++introductions;
            splashDuringIntroduction = visibleSplash() != nullptr;
            windowShownDuringIntroduction = window.isVisible() && context.mainWindow == &window;
        };

        std::unique_ptr<QMainWindow> window = openWindows(t->ctx(), windows);

        QVERIFY(window);
        QVERIFY(splashDuringLoad);
        QVERIFY(windowHiddenDuringLoad);
        QCOMPARE(introductions, 1);
        QVERIFY(!splashDuringIntroduction);
        QVERIFY(windowShownDuringIntroduction);
        QVERIFY(window->isVisible());
        QCOMPARE(visibleSplash(), nullptr);
        QCOMPARE(window->windowTitle(), QStringLiteral("Corvane's Foodlark 3.0.0"));
        QCOMPARE(t->ctx().mainWindow, window.get());
        QCOMPARE(t->ctx().currentUser, QStringLiteral("USER1"));

        // A fatal data failure unloads the main window, which ends the program.
        t->ctx().fatalError(QStringLiteral("Unable to retrieve Diet Data.  "));
        QVERIFY(!window->isVisible());
        QVERIFY(!t->ctx().dataSource().isConnected());
    }

    void introductionOnlyWhenSwitchedOn_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("offered");
        QTest::newRow("Y") << "Y" << 1;
        QTest::newRow("y") << "y" << 0;
        QTest::newRow("N") << "N" << 0;
        QTest::newRow("missing item") << QString() << 0;
    }
    void introductionOnlyWhenSwitchedOn()
    {
        QFETCH(QString, value);
        QFETCH(int, offered);
        setTips(value);
        int introductions = 0;
        StartupWindows windows;
        windows.loadMainWindow = loadMainWindow<MainWindow>;
        windows.showIntroduction = [&](AppContext&, QMainWindow&) { ++introductions; };
        const std::unique_ptr<QMainWindow> window = openWindows(t->ctx(), windows);
        QVERIFY(window);
        QCOMPARE(introductions, offered);
        QCOMPARE(t->prompts.count(), 0);
    }

    void failedLoadEndsTheProgram_data()
    {
        QTest::addColumn<bool>("fatal"); // a fatal data failure while loading, else no window at all
        QTest::newRow("fatal failure while loading") << true;
        QTest::newRow("no main window") << false;
    }
    void failedLoadEndsTheProgram()
    {
        QFETCH(bool, fatal);
        int introductions = 0;
        bool hiddenAtFailure = false;
        StartupWindows windows;
        windows.loadMainWindow = [&](AppContext& context) -> std::unique_ptr<QMainWindow> {
            auto window = std::make_unique<MainWindow>(context);
            window->load();
            if (!fatal)
                return nullptr;
            context.fatalError(QStringLiteral("Unable to retrieve Food Data.  "));
            hiddenAtFailure = !window->isVisible();
            return window;
        };
        windows.showIntroduction = [&](AppContext&, QMainWindow&) { ++introductions; };
        QCOMPARE(openWindows(t->ctx(), windows), nullptr);
        QCOMPARE(introductions, 0);
        QCOMPARE(visibleWindows(), 0);
        QCOMPARE(t->ctx().mainWindow, nullptr);
        if (fatal) {
            QVERIFY(hiddenAtFailure);
            QCOMPARE(t->prompts.count(), 1);
            QCOMPARE(t->prompts.last().title, QStringLiteral("Application Error"));
        }
    }

    void mainWindowTakesItsPlaceFromTheSettings()
    {
        WindowSettings().write({1500, 3000, 9000, 6000});
        MainWindow window(t->ctx());
        window.load();
        const QRect expected =
            WindowSettings::toPixels({1500, 3000, 9000, 6000}, window.logicalDpiX(), window.logicalDpiY());
        QCOMPARE(window.pos(), expected.topLeft());
        QCOMPARE(window.size(), expected.size());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(expected.size() + QSize(30, 15));
        window.close();
        // Stored again when it closes (twips from pixels), and the database is closed.
        const WindowPlacement stored = WindowSettings().read();
        QCOMPARE(stored.width,
                 float(WindowSettings::pixelsToTwips(expected.width() + 30, window.logicalDpiX())));
        QCOMPARE(stored.height,
                 float(WindowSettings::pixelsToTwips(expected.height() + 15, window.logicalDpiY())));
        QVERIFY(!t->ctx().dataSource().isConnected());
    }
};

QTEST_MAIN(StartupWindowsTest)
#include "tst_startupwindows.moc"

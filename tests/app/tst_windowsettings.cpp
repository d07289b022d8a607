#include "app/windowsettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Shown by QCOMPARE when placements differ.
char* toString(const WindowPlacement& p)
{
    return QTest::toString(
        QStringLiteral("(%1, %2, %3, %4)").arg(p.left).arg(p.top).arg(p.width).arg(p.height));
}

// The main window's place in the settings store, and the conversion between
// twips and pixels. The tests write to files of their own, never to the
// user's settings.
class WindowSettingsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QSettings> store;

private slots:
    void initTestCase()
    {
        // The user's own store is redirected to a folder of this test alone
        // (test programs may run side by side).
        QVERIFY(configHome.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
        // The program names itself so at start-up; the store follows those names.
        QCoreApplication::setOrganizationName(QStringLiteral("Foodlark"));
        QCoreApplication::setApplicationName(QStringLiteral("Foodlark"));
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        store = std::make_unique<QSettings>(dir->filePath("settings.ini"), QSettings::IniFormat);
    }
    void cleanup()
    {
        store.reset();
        dir.reset();
    }

    void defaultsWhenNothingIsStored()
    {
        const WindowPlacement placement = WindowSettings(*store).read();
        QCOMPARE(placement.left, 1000.0f);
        QCOMPARE(placement.top, 1000.0f);
        QCOMPARE(placement.width, 6500.0f);
        QCOMPARE(placement.height, 6500.0f);
    }

    void writtenValuesAreReadBackAsText()
    {
        WindowSettings settings(*store);
        settings.write({-1500, 240, 9000.5f, 7215});
        QCOMPARE(settings.read(), (WindowPlacement{-1500, 240, 9000.5f, 7215}));
        // Stored as text under the group and key names.
        const QVariant left = store->value("Settings/MainLeft");
        QCOMPARE(left.typeId(), int(QMetaType::QString));
        QCOMPARE(left.toString(), QStringLiteral("-1500"));
        QCOMPARE(store->value("Settings/MainTop").toString(), QStringLiteral("240"));
        QCOMPARE(store->value("Settings/MainWidth").toString(), QStringLiteral("9000.5"));
        QCOMPARE(store->value("Settings/MainHeight").toString(), QStringLiteral("7215"));
        QCOMPARE(store->childGroups(), QStringList{"Settings"});
    }

    void unreadableValuesFallBackOneByOne()
    {
        store->setValue("Settings/MainLeft", "abc");
        store->setValue("Settings/MainTop", " 300 ");
        store->setValue("Settings/MainWidth", "");
        store->setValue("Settings/MainHeight", "4000");
        QCOMPARE(WindowSettings(*store).read(), (WindowPlacement{1000, 300, 6500, 4000}));
    }

    void valuesOutsideTheGroupAreIgnored()
    {
        store->setValue("MainLeft", "5");
        store->setValue("Other/MainTop", "5");
        QCOMPARE(WindowSettings(*store).read(), WindowPlacement{});
    }

    void theUsersStoreIsFoodlarksOwn()
    {
        QSettings users(QStringLiteral("Foodlark"), QStringLiteral("Foodlark"));
        QCOMPARE(users.fileName(), configHome.filePath("Foodlark/Foodlark.conf"));
        WindowSettings().write({11, 22, 3300, 4400});
        users.sync();
        QCOMPARE(users.value("Settings/MainLeft").toString(), QStringLiteral("11"));
        QCOMPARE(users.value("Settings/MainHeight").toString(), QStringLiteral("4400"));
        QCOMPARE(WindowSettings().read(), (WindowPlacement{11, 22, 3300, 4400}));
    }

    void twipsToPixels_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("1000 at 96") << 1000.0 << 96.0 << 67;  // 66.67
        QTest::newRow("6500 at 96") << 6500.0 << 96.0 << 433; // 433.33
        QTest::newRow("inch at 120") << 1440.0 << 120.0 << 120;
        QTest::newRow("6500 at 144") << 6500.0 << 144.0 << 650;
        QTest::newRow("half up") << 15.0 * 7 + 7.5 << 96.0 << 8; // 7.5 pixels
        QTest::newRow("zero") << 0.0 << 96.0 << 0;
        QTest::newRow("left of the screen") << -1500.0 << 96.0 << -100;
    }
    void twipsToPixels()
    {
        QFETCH(double, twips);
        QFETCH(double, dpi);
        QFETCH(int, pixels);
        QCOMPARE(WindowSettings::twipsToPixels(twips, dpi), pixels);
    }

    void placementUsesEachAxisResolution()
    {
        const QRect rect = WindowSettings::toPixels(WindowPlacement{}, 96, 192);
        QCOMPARE(rect, QRect(67, 133, 433, 867));
        const WindowPlacement back = WindowSettings::fromPixels(QRect(100, 100, 640, 480), 96, 192);
        QCOMPARE(back, (WindowPlacement{1500, 750, 9600, 3600}));
        // Whole pixels survive the round trip.
        QCOMPARE(
            WindowSettings::toPixels(WindowSettings::fromPixels(QRect(-7, 13, 801, 599), 120, 72), 120, 72),
            QRect(-7, 13, 801, 599));
    }
};

QTEST_GUILESS_MAIN(WindowSettingsTest)
#include "tst_windowsettings.moc"

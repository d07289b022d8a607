#include "app/windowsettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

char* toString(const WindowPlacement& p)
{
    return QTest::toString(QString("(%1, %2, %3, %4)").arg(p.left).arg(p.top).arg(p.width).arg(p.height));
}

// The main window's place in the user's settings store, in twips, and its
// conversion to pixels. The store lies in a folder of this test alone.
class WindowSettingsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
        // The program names itself so at start-up.
        QCoreApplication::setOrganizationName("Foodlark");
        QCoreApplication::setApplicationName("Foodlark");
    }

    void placementIsStoredAsTextWithDefaults()
    {
        QCOMPARE(WindowSettings().read(), (WindowPlacement{1000, 1000, 6500, 6500}));
        WindowSettings().write({-1500, 240, 9000.5f, 7215});
        QCOMPARE(WindowSettings().read(), (WindowPlacement{-1500, 240, 9000.5f, 7215}));
        QSettings file(configHome.filePath("Foodlark/Foodlark.conf"), QSettings::IniFormat);
        QCOMPARE(file.value("Settings/MainWidth"), QVariant("9000.5"));
        // Unreadable values fall back one by one.
        file.setValue("Settings/MainLeft", "abc");
        file.setValue("Settings/MainTop", " 300 ");
        file.setValue("Settings/MainWidth", "");
        file.sync();
        QCOMPARE(WindowSettings().read(), (WindowPlacement{1000, 300, 6500, 7215}));
    }

    void twipsBecomePixelsOnEachAxis()
    {
        QCOMPARE(WindowSettings::twipsToPixels(1000, 96), 67); // 66.67
        QCOMPARE(WindowSettings::twipsToPixels(112.5, 96), 8); // 7.5, half up
        QCOMPARE(WindowSettings::twipsToPixels(-1500, 96), -100);
        QCOMPARE(WindowSettings::toPixels(WindowPlacement{}, 96, 192), QRect(67, 133, 433, 867));
        QCOMPARE(WindowSettings::fromPixels(QRect(100, 100, 640, 480), 96, 192),
                 (WindowPlacement{1500, 750, 9600, 3600}));
    }
};

QTEST_GUILESS_MAIN(WindowSettingsTest)
#include "tst_windowsettings.moc"

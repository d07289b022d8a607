#include "mainwindowfixture.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

MainWindowFixture::MainWindowFixture(Fixture::Content content) : test(content)
{
    // Window positions go to a folder of this test program alone, never to the
    // user's settings nor to those of a test program running beside it.
    static QTemporaryDir settingsHome;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsHome.path());
    QCoreApplication::setOrganizationName(QStringLiteral("FoodlarkTest"));
    QCoreApplication::setApplicationName(QStringLiteral("FoodlarkTest"));
    QSettings().clear();
}

MainWindowFixture::~MainWindowFixture()
{
    if (window)
        window->unload();
    window.reset();
}

void MainWindowFixture::load()
{
    window = std::make_unique<MainWindowProbe>(test.ctx());
    test.ctx().unloadMainWindow = [this] {
        ++test.shutDowns;
        window->unload();
    };
    window->load();
}

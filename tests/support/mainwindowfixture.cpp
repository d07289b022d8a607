#include "mainwindowfixture.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

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
    window = std::make_unique<MainWindow>(test.ctx());
    test.ctx().unloadMainWindow = [this] {
        ++test.shutDowns;
        window->unload();
    };
    window->load();
}

void whenModal(std::function<void(QWidget* dialog)> action)
{
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [action, poll](int attempts) {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            action(dialog);
            return;
        }
        if (attempts > 0)
            QTimer::singleShot(10, [poll, attempts] { (*poll)(attempts - 1); });
        else
            qWarning("whenModal: no modal dialog was shown");
    };
    QTimer::singleShot(0, [poll] { (*poll)(500); });
}

#include "mainwindowfixture.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

MainWindowFixture::MainWindowFixture(Fixture::Content content) : test(content)
{
    // Window positions go to the test folders, never to the user's settings.
    QStandardPaths::setTestModeEnabled(true);
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

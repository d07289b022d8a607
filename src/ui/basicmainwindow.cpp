#include "ui/basicmainwindow.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/windowsettings.h"
#include "data/orvdatasource.h"

#include <QCloseEvent>

BasicMainWindow::BasicMainWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), m_context(context)
{
    setObjectName(QStringLiteral("frmMain"));
    m_context.unloadMainWindow = [this] { close(); };
}

BasicMainWindow::~BasicMainWindow()
{
    m_context.unloadMainWindow = nullptr;
    if (m_context.mainWindow == this)
        m_context.mainWindow = nullptr;
}

void BasicMainWindow::load()
{
    const QRect place = WindowSettings::toPixels(WindowSettings().read(), logicalDpiX(), logicalDpiY());
    move(place.topLeft());
    resize(place.size());
    setWindowTitle(m_context.appTitle + QLatin1Char(' ') + AppContext::appVersion());
    m_context.currentUser = m_context.config().findCurrentUser();
}

void BasicMainWindow::closeEvent(QCloseEvent* event)
{
    if (!isMinimized())
        WindowSettings().write(
            WindowSettings::fromPixels(QRect(pos(), size()), logicalDpiX(), logicalDpiY()));
    m_context.dataSource().closeDB();
    event->accept();
}

#include "app/appcontext.h"

#include "app/backups.h"
#include "app/configstore.h"
#include "app/databasemessages.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"

#include <QFileInfo>
#include <QtDebug>

AppContext::AppContext(const DataFolder& folder, PromptService& prompts)
    : appTitle(QStringLiteral("Corvane's Foodlark")),
      companyName(QStringLiteral("Corvane Corporation")),
      webAddress(QStringLiteral("https://www.corvane.example/foodlark")),
      supportAddress(QStringLiteral("support@corvane.example")),
      dataFolder(folder),
      dbPath(folder.dbPath()),
      upgradePath(folder.upgradePath()),
      m_prompts(&prompts)
{
    supportMessage = QStringLiteral("If this behavior continues contact ") + companyName +
                     QStringLiteral(" Support at ") + supportAddress + QStringLiteral(".");
    m_dataSource = std::make_unique<OrvDataSource>(*this);
    m_config = std::make_unique<ConfigStore>(*this);
}

AppContext::~AppContext() = default;

QString AppContext::backupFolder() const
{
    return QFileInfo(dbPath).absolutePath() + QStringLiteral("/Backups");
}

QString AppContext::appVersion()
{
    return QStringLiteral("%1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

int AppContext::versionMajor()
{
    return FOODLARK_VERSION_MAJOR;
}

int AppContext::versionMinor()
{
    return FOODLARK_VERSION_MINOR;
}

int AppContext::versionRevision()
{
    return FOODLARK_VERSION_PATCH;
}

QString AppContext::versionNotice()
{
    return QStringLiteral("%1.%2%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

void AppContext::reportError(const QString& message)
{
    m_prompts->ask({PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("Application Error"),
                    message + supportMessage});
}

void AppContext::fatalError(const QString& message)
{
    reportError(message);
    shutDown();
}

QString AppContext::openFailureMessage(OpenFailure failure, const QString& path, const QString& finding) const
{
    switch (failure) {
    case OpenFailure::NotADatabase:
        return DatabaseMessages::notADatabase(*this, path);
    case OpenFailure::Damaged:
        return DatabaseMessages::damaged(*this, path, DatabaseMessages::engineFinding(finding));
    case OpenFailure::Unavailable:
        break;
    }
    return DatabaseMessages::unavailable(*this);
}

void AppContext::damagedAfterStart(const QString& finding)
{
    Backups::damageFoundAfterStart(*this, finding);
}

QString AppContext::explained(const QString& message, const DataError& cause, bool ending)
{
    if (cause.diskFull())
        return message + DatabaseMessages::diskFull(*this, ending);
    if (cause.damaged()) {
        m_dataSource->holdLog();
        return message + DatabaseMessages::damagedWhileRunning(*this);
    }
    return message;
}

void AppContext::reportError(const QString& message, const DataError& cause)
{
    reportError(explained(message, cause, false));
}

void AppContext::fatalError(const QString& message, const DataError& cause)
{
    fatalError(explained(message, cause, true));
}

void AppContext::unexpectedFailure(const std::exception& failure)
{
    qWarning() << "unexpected failure:" << failure.what();
    if (m_shutDownRequested)
        return;
    if (const auto* data = dynamic_cast<const DataError*>(&failure)) {
        fatalError(QStringLiteral("Unable to read or write the %1 Database.  ").arg(appTitle), *data);
        return;
    }
    fatalError(QStringLiteral("%1 can not go on: %2.  ").arg(appTitle, QString::fromLocal8Bit(failure.what())));
}

void AppContext::exclaim(const QString& text)
{
    m_prompts->ask({PromptIcon::Exclamation, PromptButtons::Ok, appTitle, text});
}

void AppContext::inform(const QString& text, const QString& title)
{
    m_prompts->ask({PromptIcon::None, PromptButtons::Ok, title.isEmpty() ? appTitle : title, text});
}

bool AppContext::askYesNo(const QString& text, const QString& title)
{
    return m_prompts->ask({PromptIcon::Question, PromptButtons::YesNo, title.isEmpty() ? appTitle : title, text}) ==
           PromptAnswer::Yes;
}

void AppContext::shutDown()
{
    const bool first = !m_shutDownRequested;
    m_shutDownRequested = true;
    if (first && unloadMainWindow) {
        // Ending the run must not fail on the way out; what the unload could not do is left undone.
        try {
            unloadMainWindow();
        } catch (...) {
        }
    }
}

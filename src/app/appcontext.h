#pragma once

#include "app/datafolder.h"
#include "app/promptservice.h"
#include "data/datasourcehost.h"

#include <QString>
#include <exception>
#include <functional>

class QObject;
#include <memory>

class DataError;
class OrvDataSource;
class ConfigStore;

// The program-wide values and services of one run: identity texts, file paths,
// the one data source, the configuration store, the current user, the prompt
// service and the way to end the run after a fatal data failure. One instance
// is made at start-up and handed to every window. It is the data source's
// host: it names the file and words and shows the data source's failures.
class AppContext : public DataSourceHost
{
public:
    // Sets the identity texts and the paths of the log in dataFolder.
    AppContext(const DataFolder& dataFolder, PromptService& prompts);
    ~AppContext();

    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    QString appTitle;
    QString companyName;
    QString webAddress;
    QString supportAddress;
    QString supportMessage;
    DataFolder dataFolder;
    QString dbPath;
    QString upgradePath;
    QString currentUser;
    // The one main window while it is loaded (a QMainWindow; kept as QObject
    // here so this library stays free of widgets). Set by the start-up.
    QObject* mainWindow = nullptr;

    // Where the automatic backups are kept: the folder Backups beside the
    // database file.
    QString backupFolder() const;

    // "3.0.0": Major.Minor.Revision of this build.
    static QString appVersion();
    static int versionMajor();
    static int versionMinor();
    static int versionRevision();
    // The version as the upgrade notice writes it: Major + "." + Minor +
    // Revision ("3.00" for 3.0.0).
    static QString versionNotice();

    PromptService& prompts() { return *m_prompts; }
    // Shows every box through prompts from now on; returns the service that
    // showed them until now, to be put back.
    PromptService& usePrompts(PromptService& prompts)
    {
        PromptService& before = *m_prompts;
        m_prompts = &prompts;
        return before;
    }
    OrvDataSource& dataSource() { return *m_dataSource; }
    ConfigStore& config() { return *m_config; }

    // The fatal path of every data failure: shows the "Application Error" box
    // with the message and the support sentence, then shuts the program down.
    void fatalError(const QString& message);
    // The same box without the shut-down (a failed update of one record).
    void reportError(const QString& message) override;
    // The same for a failure of the database engine: a full disk or a damaged
    // file is said in so many words (and a damaged file is written no more).
    void reportError(const QString& message, const DataError& cause);
    void fatalError(const QString& message, const DataError& cause) override;
    // The fatal path of a failure that no operation trapped (it reached the
    // event loop or the start-up): the box, with what the failure says about
    // the disk or the file, then the shut-down. Only the first is shown.
    void unexpectedFailure(const std::exception& failure);

    // Message boxes under the program's title.
    void exclaim(const QString& text);
    void inform(const QString& text, const QString& title = QString());
    bool askYesNo(const QString& text, const QString& title = QString());

    // Unloads the main window (when there is one) and marks the run as ending.
    void shutDown();
    bool shutDownRequested() const { return m_shutDownRequested; }
    // Set by the main window while it is loaded.
    std::function<void()> unloadMainWindow;

private:
    QString databasePath() const override { return dbPath; }
    QString openFailureMessage(OpenFailure failure, const QString& path,
                               const QString& finding) const override;
    void damagedAfterStart(const QString& finding) override;
    QString explained(const QString& message, const DataError& cause, bool ending);

    PromptService* m_prompts;
    std::unique_ptr<OrvDataSource> m_dataSource;
    std::unique_ptr<ConfigStore> m_config;
    bool m_shutDownRequested = false;
};

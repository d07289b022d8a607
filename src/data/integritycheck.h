#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

// The engine's full integrity check of a database file, run in a thread on a
// read-only connection of its own, so that it does not hold up the start. The
// connection reads the file as it lies on the disk, past the locks of the
// program's own connection; the data source keeps its log from being copied
// into the file while the check runs.
class IntegrityCheck : public QObject
{
    Q_OBJECT

public:
    explicit IntegrityCheck(QObject* parent = nullptr);
    ~IntegrityCheck() override;

    // Starts checking the file at path after delay (a check still running is
    // stopped first); finished() follows on this object's thread.
    void start(const QString& path, std::chrono::milliseconds delay = {});
    // Ends a running check at once; it reports nothing.
    void stop();
    // Waits for the check to end instead (starting it at once if it was still
    // waiting for its delay), and answers its finding ("" for a
    // sound file) unless it has already been reported or was stopped; it
    // reports nothing more.
    std::optional<QString> finish();
    bool isRunning() const;

    // The check itself, run here and now: an empty text when the file is
    // sound, else the engine's first finding. quick is the engine's quicker
    // check of the same structure without the indexes' contents.
    static QString check(const QString& path, bool quick = false);
    // A read-only connection's name for the file at path that reads it as it
    // lies on the disk: no locks, no log.
    static QString unlockedUri(const QString& path);

signals:
    void finished(const QString& path, bool sound, const QString& finding);

private:
    struct Run;
    std::shared_ptr<Run> m_run;
};

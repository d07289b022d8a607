#include "data/integritycheck.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <QtDebug>

#include <condition_variable>
#include <mutex>
#include <sqlite3.h>

// One check: its thread, and its connection while it is open, so that stop()
// can interrupt the engine from another thread.
struct IntegrityCheck::Run
{
    std::mutex mutex;
    std::condition_variable wake; // ends the wait before the check
    sqlite3* connection = nullptr;
    bool stopped = false;
    bool hurry = false; // someone waits for the finding: no more waiting first
    std::optional<QString> finding; // once the check has ended by itself
    std::unique_ptr<QThread> thread;
};

namespace {

// Opens the file at path for an unlocked read; null when it cannot be opened.
sqlite3* openUnlocked(const QString& path, QString* failure)
{
    sqlite3* connection = nullptr;
    const int rc = sqlite3_open_v2(IntegrityCheck::unlockedUri(path).toUtf8().constData(), &connection,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        *failure = QString::fromUtf8(connection ? sqlite3_errmsg(connection) : sqlite3_errstr(rc));
        sqlite3_close(connection);
        return nullptr;
    }
    return connection;
}

// Runs the check on an open connection: "" when sound, else the first
// finding; interrupted tells a stopped check from a finding.
QString runCheck(sqlite3* connection, bool quick, bool* interrupted)
{
    *interrupted = false;
    sqlite3_stmt* statement = nullptr;
    // One finding is enough to refuse the file, and the check ends there.
    const char* sql = quick ? "PRAGMA quick_check(1)" : "PRAGMA integrity_check(1)";
    int rc = sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr);
    QString finding;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            const QString result =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            if (result != QLatin1String("ok"))
                finding = result;
            rc = SQLITE_OK;
        }
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        *interrupted = rc == SQLITE_INTERRUPT;
        finding = QString::fromUtf8(sqlite3_errmsg(connection));
    }
    sqlite3_finalize(statement);
    return finding;
}

} // namespace

IntegrityCheck::IntegrityCheck(QObject* parent) : QObject(parent) {}

IntegrityCheck::~IntegrityCheck()
{
    stop();
}

QString IntegrityCheck::unlockedUri(const QString& path)
{
    // "immutable" opens the file read-only without locks and without its log.
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(path, "/")) +
           QStringLiteral("?immutable=1");
}

QString IntegrityCheck::check(const QString& path, bool quick)
{
    QString failure;
    sqlite3* connection = openUnlocked(path, &failure);
    if (!connection)
        return failure;
    bool interrupted = false;
    const QString finding = runCheck(connection, quick, &interrupted);
    sqlite3_close(connection);
    return finding;
}

void IntegrityCheck::start(const QString& path, std::chrono::milliseconds delay)
{
    stop();
    auto run = std::make_shared<Run>();
    QPointer<IntegrityCheck> self(this);
    run->thread.reset(QThread::create([run, self, path, delay] {
        {
            std::unique_lock<std::mutex> lock(run->mutex);
            run->wake.wait_for(lock, delay, [&] { return run->stopped || run->hurry; });
            if (run->stopped)
                return;
        }
        QString finding;
        sqlite3* connection = openUnlocked(path, &finding);
        bool interrupted = false;
        if (connection) {
            {
                std::lock_guard<std::mutex> lock(run->mutex);
                run->connection = run->stopped ? nullptr : connection;
            }
            if (run->connection)
                finding = runCheck(connection, false, &interrupted);
            {
                std::lock_guard<std::mutex> lock(run->mutex);
                run->connection = nullptr;
            }
            sqlite3_close(connection);
        }
        {
            std::lock_guard<std::mutex> lock(run->mutex);
            if (run->stopped || interrupted)
                return;
            run->finding = finding;
        }
        // Reported on the owner's thread, unless the owner stopped the check
        // (or is gone) by then.
        QMetaObject::invokeMethod(
            self.data(),
            [run, self, path, finding] {
                if (!self || self->m_run != run)
                    return;
                {
                    std::lock_guard<std::mutex> lock(run->mutex);
                    if (run->stopped || !run->finding)
                        return;
                    run->finding.reset(); // reported here, and only here
                }
                if (!finding.isEmpty())
                    qWarning() << "integrity check of" << path << ":" << finding;
                emit self->finished(path, finding.isEmpty(), finding);
            },
            Qt::QueuedConnection);
    }));
    m_run = run;
    // Not at idle priority: a program closing while the check runs waits for
    // it, and on a busy machine an idle thread can take many times as long.
    run->thread->start(QThread::LowPriority);
}

void IntegrityCheck::stop()
{
    if (!m_run)
        return;
    {
        std::lock_guard<std::mutex> lock(m_run->mutex);
        m_run->stopped = true;
        if (m_run->connection)
            sqlite3_interrupt(m_run->connection);
    }
    m_run->wake.notify_all();
    m_run->thread->wait();
    m_run.reset();
}

std::optional<QString> IntegrityCheck::finish()
{
    if (!m_run)
        return std::nullopt;
    {
        std::lock_guard<std::mutex> lock(m_run->mutex);
        m_run->hurry = true;
    }
    m_run->wake.notify_all();
    m_run->thread->wait();
    std::optional<QString> finding;
    {
        std::lock_guard<std::mutex> lock(m_run->mutex);
        finding = m_run->stopped ? std::nullopt : m_run->finding;
        m_run->stopped = true;
    }
    m_run.reset();
    return finding;
}

bool IntegrityCheck::isRunning() const
{
    return m_run && !m_run->thread->isFinished();
}

#pragma once

#include <QString>

class DataError;

// What the data source needs of the program that runs it: the file to open,
// the words for a file it cannot open, and where its failures go. The
// application context gives it; the data source knows nothing else of the
// program.
class DataSourceHost
{
public:
    // Why connectDB could not open the file.
    enum class OpenFailure {
        Unavailable,  // missing, read-only, or held by another copy of the program
        NotADatabase, // no database at all
        Damaged,      // a damaged database; finding: the engine's words
    };

    // The database file to open.
    virtual QString databasePath() const = 0;
    // The message that tells the user why the file at path was not opened.
    virtual QString openFailureMessage(OpenFailure failure, const QString& path,
                                       const QString& finding) const = 0;
    // Shows a failure in the "Application Error" box; the program goes on.
    virtual void reportError(const QString& message) = 0;
    // The fatal path of a failed query: the message, with what the engine's
    // error says about the disk or the file, then the program ends.
    virtual void fatalError(const QString& message, const DataError& cause) = 0;
    // The background check found the file damaged after the start (its log is
    // already held): said, with the newest sound backup offered in its place,
    // and the program ends.
    virtual void damagedAfterStart(const QString& finding) = 0;

protected:
    ~DataSourceHost() = default;
};

#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QSaveFile>
#include <QString>

// A file the program saves (a report as PDF or CSV, a copy of a database's
// bytes), written whole before it takes its name: the bytes go to a
// temporary file (one without a name where the system allows it, so that a
// program stopped halfway leaves nothing behind), every write is checked,
// and only a file whose every byte reached the disk replaces an earlier one.
// The file gets the mode any new file saved there gets (the user's umask); a
// file it replaces keeps its own.
class SavedFile : public QIODevice
{
public:
    explicit SavedFile(const QString& path);
    ~SavedFile() override;
    SavedFile(const SavedFile&) = delete;
    SavedFile& operator=(const SavedFile&) = delete;

    QString path() const { return m_path; }

    // Opens the temporary file for writing; false when it can not be made.
    bool open();
    // Checks the whole file and gives it its name: every write succeeded, the
    // file on the disk is as long as what was written, it ends with ending
    // (when given, blanks and line ends after it aside), and it was flushed to
    // the disk. False otherwise, the earlier file as it was and the temporary
    // one gone; failure() says why.
    bool commit(const QByteArray& ending = QByteArray());
    // Drops what was written; an earlier file stays as it was.
    void cancel();

    // A write has failed (every later write fails at once).
    bool failed() const { return !m_failure.isEmpty(); }
    // Why the file could not be written, in words for the user: "the disk is
    // full" when it is, else the system's words.
    QString failure() const { return m_failure; }
    bool diskFull() const { return m_diskFull; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void fail(int error);
    void fail(const QString& why);

    QString m_path;
    QSaveFile m_file;
    qint64 m_written = 0;
    QByteArray m_tail; // the last bytes written, for the ending
    QString m_failure;
    bool m_diskFull = false;
};

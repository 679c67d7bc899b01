#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <optional>

// Owns the session log file: opens it from empty or for appending, writes each reply entry as
// one CR LF line of raw bytes, and reports every failure so the caller can stop logging.
class SessionLog {
public:
    enum class Mode { Truncate, Append };
    // Past this many entry characters the caller stops logging, so one session cannot fill
    // the disk.
    static constexpr qint64 kLimitBytes = 10'000'000;

    ~SessionLog(); // closes
    // Opens (creating if missing) the file in binary mode. On failure returns a reason text
    // for the operator (e.g. "not a regular file" for a FIFO or device, which is refused without
    // blocking) and stays closed; nullopt on success.
    std::optional<QString> open(const QString &path, Mode mode);
    bool isOpen() const;
    // Appends the entry's bytes exactly, then CR LF (bytes 13, 10), in one unbuffered write.
    // Returns false on failure (the caller then closes the log and tells the operator); the file
    // then ends with the last whole entry, never part of one.
    bool write(QByteArrayView entry);
    // Checks that what was written reached the file (called once per arrival). False on failure.
    bool flush();
    void close(); // harmless when closed
    // Characters of the entries written since the last open(), line ends not counted.
    qint64 bytesWritten() const;
    // bytesWritten() is past kLimitBytes; exactly the limit still keeps the log open.
    bool overLimit() const;
    // The path given to the last open(), kept after close so messages can name the file.
    QString path() const;
    // Why the last write() or flush() failed, as the system says it (e.g. "No space left on
    // device").
    QString errorString() const;

private:
    bool fail(const QString &reason); // records the reason, cuts back to the last whole entry

    QFile m_file;
    QString m_path;
    QString m_absolutePath; // fixed at open, so a later change of folder cannot fool flush()
    QString m_error;
    QByteArray m_line;      // entry and CR LF, reused so each entry costs one write
    qint64 m_wholeSize = 0; // file size after the last whole entry
    qint64 m_bytesWritten = 0;
};

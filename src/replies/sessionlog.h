#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <optional>
#include <vector>

// Owns the session log file: opens it from empty or for appending, writes each reply entry as
// one CR LF line of raw bytes, and reports every failure so the caller can stop logging.
// Entries are gathered and reach the file together at flush(), so a flood costs a few writes
// per page of log instead of one per entry.
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
    bool isOpen() const { return m_file.isOpen(); }
    // Takes the entry's bytes exactly, then CR LF (bytes 13, 10), for the next flush(). False
    // when the log is closed.
    bool write(QByteArrayView entry);
    // Writes the entries taken since the last flush and checks that they reached the file at the
    // path (called once per slice of replies). Returns false on failure (the caller then closes
    // the log and tells the operator); the file then ends with the last whole entry written,
    // never part of one, and the entries not written are not counted.
    bool flush();
    void close(); // writes what is gathered; harmless when closed
    // Characters of the entries taken since the last open(), line ends not counted.
    qint64 bytesWritten() const;
    // bytesWritten() is past kLimitBytes; exactly the limit still keeps the log open.
    bool overLimit() const;
    // The path given to the last open(), kept after close so messages can name the file.
    QString path() const;
    // Why the last write() or flush() failed, as the system says it (e.g. "No space left on
    // device").
    QString errorString() const;

private:
    bool writeGathered();
    // Writes bytes [from, to) of what is gathered, whole entries from firstEntry on.
    bool writePiece(qsizetype from, qsizetype to, std::size_t firstEntry);
    // Records the reason, cuts the file back to the last whole entry and drops what was not
    // written.
    bool fail(const QString &reason);

    QFile m_file;
    QString m_path;
    QString m_absolutePath; // fixed at open, so a later change of folder cannot fool flush()
    QString m_error;
    // Entries and their CR LF since the last flush, and where each ends in it; both keep their
    // capacity from one flush to the next.
    QByteArray m_gathered;
    std::vector<qsizetype> m_entryEnds;
    qint64 m_wholeSize = 0; // file size after the last whole entry
    qint64 m_bytesWritten = 0;
};

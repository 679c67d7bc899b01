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

    ~SessionLog(); // closes
    // Opens (creating if missing) the file in binary mode. On failure returns a reason text
    // for the operator (e.g. "not a regular file" for a FIFO or device, which is refused without
    // blocking) and stays closed; nullopt on success.
    std::optional<QString> open(const QString &path, Mode mode);
    bool isOpen() const;
    // Appends the entry's bytes exactly, then CR LF (bytes 13, 10). Returns false on failure
    // (the caller then closes the log and tells the operator).
    bool write(QByteArrayView entry);
    // Pushes what was written to the operating system (called once per arrival). False on failure.
    bool flush();
    void close(); // harmless when closed
    // The path given to the last open(), kept after close so messages can name the file.
    QString path() const;
    // Why the last write() or flush() failed.
    QString errorString() const;

private:
    QFile m_file;
    QString m_path;
    QString m_absolutePath;
    QString m_error; // fixed at open, so a later change of folder cannot fool flush()
};

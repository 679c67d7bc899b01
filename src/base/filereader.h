#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

// Whole-file reading as bytes, with the reason as a value when it fails;
// the window turns reasons into operator messages.
struct FileRead {
    enum class Status { Ok, Missing, Unreadable };
    Status status = Status::Missing;
    QByteArray bytes;
    QString reason; // set when Unreadable
};

// The largest file readWholeFile() accepts: far above any logger list (the grid holds 39
// loggers), yet small enough that a wrong file cannot exhaust memory or stall start-up.
inline constexpr qint64 kMaxReadBytes = 1024 * 1024;

// Reads a regular file (or a symbolic link to one) of at most kMaxReadBytes. Anything else
// (FIFO, device, folder, socket, a larger file, a symbolic link that points nowhere) is
// Unreadable with the reason; never blocks. Missing only when nothing at all has the name.
FileRead readWholeFile(const QString &path);

// Why path cannot be taken for a regular file, told without opening it, so nothing can block
// or have effects: "not a regular file" for a FIFO, device, socket or folder (a symbolic link
// is followed). nullopt for a regular file, or when nothing has the name.
std::optional<QString> notRegularFile(const QString &path);

// Opens path into file as a regular file (a symbolic link to one is fine), in binary mode.
// mode is ReadOnly, or WriteOnly (creating a missing file) with Truncate or Append, optionally
// Unbuffered. The open cannot block, even when a FIFO or device takes the file's place between
// the check and the open. Returns the reason on failure (file stays closed), nullopt on success.
std::optional<QString> openRegularFile(QFile &file, const QString &path, QIODevice::OpenMode mode);

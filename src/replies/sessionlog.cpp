#include "replies/sessionlog.h"

#include "base/filereader.h"
#include "base/texts.h"

#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace {

// Whether the path still names the very file that is open: an editor that saves by renaming
// its copy over the name leaves the handle on a file nobody will read again.
bool pathNamesOpenFile(const QString &absolutePath, int handle) {
#if defined(Q_OS_UNIX)
    struct stat open;
    struct stat named;
    if (::fstat(handle, &open) != 0 ||
        ::stat(QFile::encodeName(absolutePath).constData(), &named) != 0) {
        return true; // nothing to compare: a missing name is reported on its own
    }
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#else
    Q_UNUSED(absolutePath);
    Q_UNUSED(handle);
    return true;
#endif
}

} // namespace

SessionLog::~SessionLog() {
    close();
}

std::optional<QString> SessionLog::open(const QString &path, Mode mode) {
    close();
    m_bytesWritten = 0;
    m_path = path;
    m_absolutePath = QFileInfo(path).absoluteFilePath();
    // No Text flag: entries are raw 8-bit bytes and the line end is written as CR LF by hand.
    // Only a regular file: a FIFO or device in its place would block the window or swallow
    // the log.
    // Unbuffered: each entry is one write, so each arrival reaches the file as it comes and a
    // full disk shows on the entry that did not fit. Appending in both modes keeps every write
    // at the end, also after a cut-off entry was taken back.
    QIODevice::OpenMode flags = QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered;
    if (mode == Mode::Truncate) {
        flags |= QIODevice::Truncate;
    }
    if (auto failure = openRegularFile(m_file, path, flags)) {
        return failure;
    }
    m_wholeSize = m_file.size();
    return std::nullopt;
}

bool SessionLog::isOpen() const {
    return m_file.isOpen();
}

bool SessionLog::write(QByteArrayView entry) {
    if (!m_file.isOpen()) {
        m_error = texts::kLogNotOpen;
        return false;
    }
    m_line.resize(0); // keeps the capacity for the next entry
    m_line.append(entry.data(), entry.size());
    m_line.append("\r\n", 2);
    const char *data = m_line.constData();
    qint64 left = m_line.size();
    while (left > 0) {
        // A short write sets no error; writing the rest then fails with the system's reason.
        const qint64 written = m_file.write(data, left);
        if (written <= 0) {
            return fail(m_file.errorString());
        }
        data += written;
        left -= written;
    }
    m_wholeSize += m_line.size();
    m_bytesWritten += entry.size();
    return true;
}

bool SessionLog::flush() {
    if (!m_file.isOpen()) {
        m_error = texts::kLogNotOpen;
        return false;
    }
    if (!m_file.flush()) {
        return fail(m_file.errorString());
    }
    // On POSIX systems writes to a file whose name (or folder) was removed still succeed and
    // land nowhere the operator can read; report that as a failure rather than lose the log.
    if (!QFileInfo::exists(m_absolutePath)) {
        return fail(texts::kLogRemoved);
    }
    if (!pathNamesOpenFile(m_absolutePath, m_file.handle())) {
        return fail(texts::kLogReplaced);
    }
    return true;
}

bool SessionLog::fail(const QString &reason) {
    m_error = reason;
    // The file ends with the last whole entry: a cut one would read as a reply never sent.
    m_file.resize(m_wholeSize);
    return false;
}

void SessionLog::close() {
    if (m_file.isOpen()) {
        m_file.close();
    }
    m_line = QByteArray(); // a long entry's buffer is not kept while logging is off
}

qint64 SessionLog::bytesWritten() const {
    return m_bytesWritten;
}

bool SessionLog::overLimit() const {
    return m_bytesWritten > kLimitBytes;
}

QString SessionLog::errorString() const {
    return m_error;
}

QString SessionLog::path() const {
    return m_path;
}

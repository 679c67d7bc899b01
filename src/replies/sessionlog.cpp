#include "replies/sessionlog.h"

#include "console/filereader.h"

#include <QFileInfo>

SessionLog::~SessionLog() {
    close();
}

std::optional<QString> SessionLog::open(const QString &path, Mode mode) {
    close();
    m_path = path;
    m_absolutePath = QFileInfo(path).absoluteFilePath();
    // No Text flag: entries are raw 8-bit bytes and the line end is written as CR LF by hand.
    // Only a regular file: a FIFO or device in its place would block the window or swallow
    // the log.
    const QIODevice::OpenMode flags =
        QIODevice::WriteOnly | (mode == Mode::Truncate ? QIODevice::Truncate : QIODevice::Append);
    return openRegularFile(m_file, path, flags);
}

bool SessionLog::isOpen() const {
    return m_file.isOpen();
}

bool SessionLog::write(QByteArrayView entry) {
    if (!m_file.isOpen()) {
        m_error = QStringLiteral("not open");
        return false;
    }
    if (m_file.write(entry.data(), entry.size()) == entry.size() && m_file.write("\r\n", 2) == 2) {
        return true;
    }
    m_error = m_file.errorString();
    return false;
}

bool SessionLog::flush() {
    if (!m_file.isOpen()) {
        m_error = QStringLiteral("not open");
        return false;
    }
    if (!m_file.flush()) {
        m_error = m_file.errorString();
        return false;
    }
    // On POSIX systems writes to a file whose name (or folder) was removed still succeed and
    // land nowhere the operator can read; report that as a failure rather than lose the log.
    if (!QFileInfo::exists(m_absolutePath)) {
        m_error = QStringLiteral("the file or its folder was removed");
        return false;
    }
    return true;
}

void SessionLog::close() {
    if (m_file.isOpen()) {
        m_file.close();
    }
}

QString SessionLog::errorString() const {
    return m_error;
}

QString SessionLog::path() const {
    return m_path;
}

#include "replies/sessionlog.h"

#include "base/filereader.h"
#include "base/texts.h"

#include <QFileInfo>

#include <algorithm>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace {

// The kernel copies a write into a file a page at a time, and a kill stops a write only where
// one page of the file ends.
constexpr qint64 kPageBytes = 4096;

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
    // Unbuffered: the entries gathered for a flush go out in the pieces writeGathered() cuts, and
    // a full disk shows on the piece that did not fit. Appending in both modes keeps every write
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

bool SessionLog::write(QByteArrayView entry) {
    if (!m_file.isOpen()) {
        m_error = texts::kLogNotOpen;
        return false;
    }
    m_gathered.append(entry.data(), entry.size());
    m_gathered.append("\r\n", 2);
    m_entryEnds.push_back(m_gathered.size());
    m_bytesWritten += entry.size();
    return true;
}

// Whole entries only, in as few writes as that allows: a write is cut before each entry that
// runs from one page of the file into the next. A kill can then stop a write only between two
// whole entries, or inside the entry that begins it just after its first bytes: the one cut no
// way of writing avoids, and no more likely per page of log than when each entry was a write
// of its own. A flood costs about one write per page of log instead of one per entry.
bool SessionLog::writeGathered() {
    qsizetype pieceStart = 0;
    std::size_t pieceFirst = 0; // the piece's first entry
    qsizetype entryStart = 0;
    for (std::size_t entry = 0; entry < m_entryEnds.size(); ++entry) {
        const qsizetype entryEnd = m_entryEnds[entry];
        const bool crossesPage = (m_wholeSize + (entryEnd - pieceStart) - 1) / kPageBytes >
                                 (m_wholeSize + (entryStart - pieceStart)) / kPageBytes;
        if (crossesPage && entryStart > pieceStart) {
            if (!writePiece(pieceStart, entryStart, pieceFirst)) {
                return false;
            }
            pieceStart = entryStart;
            pieceFirst = entry;
        }
        entryStart = entryEnd;
    }
    if (pieceStart < m_gathered.size() && !writePiece(pieceStart, m_gathered.size(), pieceFirst)) {
        return false;
    }
    m_gathered.resize(0); // keeps the capacity for the next flush
    m_entryEnds.clear();
    return true;
}

bool SessionLog::writePiece(qsizetype from, qsizetype to, std::size_t firstEntry) {
    qsizetype at = from;
    while (at < to) {
        // A short write sets no error; writing the rest then fails with the system's reason.
        const qint64 written = m_file.write(m_gathered.constData() + at, to - at);
        if (written <= 0) {
            // The entries that reached the file whole stay; the rest is neither kept nor counted.
            const auto kept =
                std::upper_bound(m_entryEnds.begin() + firstEntry, m_entryEnds.end(), at);
            const qsizetype keptEnd = kept == m_entryEnds.begin() + firstEntry ? from : kept[-1];
            const auto lostEntries = static_cast<qint64>(m_entryEnds.end() - kept);
            m_wholeSize += keptEnd - from;
            m_bytesWritten -= (m_gathered.size() - keptEnd) - 2 * lostEntries;
            return fail(m_file.errorString());
        }
        at += written;
    }
    m_wholeSize += to - from;
    return true;
}

bool SessionLog::flush() {
    if (!m_file.isOpen()) {
        m_error = texts::kLogNotOpen;
        return false;
    }
    if (!writeGathered()) {
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
    m_gathered.resize(0);
    m_entryEnds.clear();
    return false;
}

void SessionLog::close() {
    if (m_file.isOpen()) {
        writeGathered(); // a failure here has no one left to tell; the file stays whole
        m_file.close();
    }
    // A long entry's buffer is not kept while logging is off.
    m_gathered = QByteArray();
    m_entryEnds = std::vector<qsizetype>();
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

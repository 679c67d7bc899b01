#include "base/filereader.h"

#include "base/texts.h"

#include <QFileInfo>
#include <utility>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString notRegular() {
    return texts::kNotRegularFile;
}

QString tooLarge() {
    return texts::largerThan(kMaxReadBytes / (1024 * 1024));
}

} // namespace

std::optional<QString> notRegularFile(const QString &path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return notRegular();
    }
    return std::nullopt;
}

std::optional<QString> openRegularFile(QFile &file, const QString &path, QIODevice::OpenMode mode) {
    // Checked before opening: opening a FIFO or a device can itself block or have effects.
    if (auto reason = notRegularFile(path)) {
        return reason;
    }
#if defined(Q_OS_UNIX)
    // Something else may be put in the file's place after the check: O_NONBLOCK keeps the open
    // from waiting on a FIFO's other end, and the descriptor's own type decides. For a regular
    // file O_NONBLOCK changes nothing.
    int flags = O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    if (mode & QIODevice::WriteOnly) {
        flags |= O_WRONLY | O_CREAT;
        if (mode & QIODevice::Truncate) {
            flags |= O_TRUNC;
        }
        if (mode & QIODevice::Append) {
            flags |= O_APPEND;
        }
    } else {
        flags |= O_RDONLY;
    }
    const QByteArray nativePath = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(nativePath.constData(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return qt_error_string(errno);
    }
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return qt_error_string(error);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return notRegular();
    }
    // O_TRUNC has done its work; the handle is the file from now on.
    if (!file.open(fd, mode & ~QIODevice::Truncate, QFileDevice::AutoCloseHandle)) {
        ::close(fd); // a failed open does not take the handle over
        return file.errorString();
    }
#else
    file.setFileName(path);
    if (!file.open(mode)) {
        return file.errorString();
    }
#endif
    return std::nullopt;
}

FileRead readWholeFile(const QString &path) {
    FileRead result;
    if (!QFileInfo::exists(path)) {
        // A link whose target is gone is there all the same: the operator put it there and
        // must hear that it points nowhere, not that there is no file.
        const QFileInfo link(path);
        if (link.isSymLink()) {
            result.status = FileRead::Status::Unreadable;
            result.reason = texts::linkPointsNowhere(link.symLinkTarget());
        }
        return result;
    }
    result.status = FileRead::Status::Unreadable;
    QFile file;
    // Binary: CR LF stays two bytes, nothing is converted.
    if (const auto failure =
            openRegularFile(file, path, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.reason = *failure;
        return result;
    }
    if (file.size() > kMaxReadBytes) {
        result.reason = tooLarge();
        return result;
    }
    // One byte past the bound, so a file that grew since its size was read is still caught.
    QByteArray bytes = file.read(kMaxReadBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        return result;
    }
    if (bytes.size() > kMaxReadBytes) {
        result.reason = tooLarge();
        return result;
    }
    bytes.squeeze(); // read() reserved the whole bound
    result.bytes = std::move(bytes);
    result.status = FileRead::Status::Ok;
    return result;
}

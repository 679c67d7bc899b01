#include "base/filereader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads path on a worker thread. Should the read block on a FIFO, a writer opening and closing
// the FIFO ends the wait, so the test fails instead of hanging.
FileRead readWithin(const QString &path, bool isFifo) {
    auto reading = std::async(std::launch::async, [path] { return readWholeFile(path); });
    if (reading.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        ADD_FAILURE() << path.toStdString() << " blocked the reader";
        if (isFifo) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    return reading.get();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(FileReader, NonRegularFilesAreRefusedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, dir.filePath("link-to-fifo")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("link-to-zero")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));

    for (const char *name : {"fifo", "link-to-fifo", "link-to-zero", "folder"}) {
        SCOPED_TRACE(name);
        const FileRead read = readWithin(dir.filePath(name), QByteArray(name).contains("fifo"));
        EXPECT_EQ(read.status, FileRead::Status::Unreadable);
        EXPECT_EQ(read.reason, QStringLiteral("not a regular file"));
        EXPECT_TRUE(read.bytes.isEmpty());
    }
}

TEST(FileReader, SizeBoundIsInclusive) {
    ASSERT_EQ(kMaxReadBytes, 1024 * 1024);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("loggers.txt");
    QFile sparse(path);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
    ASSERT_TRUE(sparse.resize(kMaxReadBytes));
    sparse.close();

    const FileRead atBound = readWholeFile(path);
    EXPECT_EQ(atBound.status, FileRead::Status::Ok);
    EXPECT_EQ(atBound.bytes, QByteArray(kMaxReadBytes, '\0'));

    ASSERT_TRUE(QFile::resize(path, kMaxReadBytes + 1));
    const FileRead pastBound = readWholeFile(path);
    EXPECT_EQ(pastBound.status, FileRead::Status::Unreadable);
    EXPECT_EQ(pastBound.reason, QStringLiteral("larger than 1 MiB"));
    EXPECT_TRUE(pastBound.bytes.isEmpty());
}

TEST(FileReader, RegularFileAndLinkToItReadByteExact) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray bytes("1;Site\r\n2;\x00\xFF\x80;\n\r\n", 17);
    const QString path = dir.filePath("loggers.txt");
    writeFile(path, bytes);
    ASSERT_TRUE(QFile::link(path, dir.filePath("link.txt")));
    writeFile(dir.filePath("empty.txt"), {});

    for (const char *name : {"loggers.txt", "link.txt"}) {
        SCOPED_TRACE(name);
        const FileRead read = readWholeFile(dir.filePath(name));
        EXPECT_EQ(read.status, FileRead::Status::Ok);
        EXPECT_EQ(read.bytes.toHex(' '), bytes.toHex(' '));
    }
    const FileRead empty = readWholeFile(dir.filePath("empty.txt"));
    EXPECT_EQ(empty.status, FileRead::Status::Ok);
    EXPECT_TRUE(empty.bytes.isEmpty());
}

TEST(FileReader, OnlyANameThatHoldsNothingIsMissing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString gone = dir.filePath("gone.txt");
    ASSERT_TRUE(QFile::link(gone, dir.filePath("dangling.txt")));
    const struct {
        const char *name;
        FileRead::Status status;
        QString reason;
    } cases[] = {
        {"absent.txt", FileRead::Status::Missing, {}},
        {"dangling.txt", FileRead::Status::Unreadable,
         "the symbolic link points nowhere (" + gone + " does not exist)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const FileRead read = readWholeFile(dir.filePath(c.name));
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.reason, c.reason);
    }
}

} // namespace

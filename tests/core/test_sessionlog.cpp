#include "replies/sessionlog.h"
#include "support/tinydisk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/mount.h>
#endif
#include <vector>

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Compared as hex so a wrong or missing byte is visible in the failure output.
#define EXPECT_BYTES(actual, expected) EXPECT_EQ((actual).toHex(' '), (expected).toHex(' '))

struct ModeCase {
    const char *name;
    SessionLog::Mode mode;
    bool existing;
    QByteArray expected;
};

void PrintTo(const ModeCase &c, std::ostream *os) {
    *os << c.name;
}

class SessionLogModes : public testing::TestWithParam<ModeCase> {};

TEST_P(SessionLogModes, OpensWritesAndCloses) {
    const ModeCase &c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    if (c.existing) {
        writeFile(path, "old one\r\nold two\r\n");
    }
    SessionLog log;
    EXPECT_EQ(log.open(path, c.mode), std::nullopt);
    EXPECT_TRUE(log.isOpen());
    EXPECT_EQ(log.path(), path);
    EXPECT_TRUE(log.write("new"));
    EXPECT_TRUE(log.write("{x}"));
    EXPECT_TRUE(log.flush());
    log.close();
    EXPECT_FALSE(log.isOpen());
    EXPECT_BYTES(readAll(path), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    SessionLog, SessionLogModes,
    testing::Values(ModeCase{"TruncateDropsOldLines", SessionLog::Mode::Truncate, true,
                             QByteArray("new\r\n{x}\r\n")},
                    ModeCase{"AppendKeepsOldLines", SessionLog::Mode::Append, true,
                             QByteArray("old one\r\nold two\r\nnew\r\n{x}\r\n")},
                    ModeCase{"TruncateCreatesMissingFile", SessionLog::Mode::Truncate, false,
                             QByteArray("new\r\n{x}\r\n")},
                    ModeCase{"AppendCreatesMissingFile", SessionLog::Mode::Append, false,
                             QByteArray("new\r\n{x}\r\n")}),
    [](const testing::TestParamInfo<ModeCase> &info) { return std::string(info.param.name); });

TEST(SessionLog, WritesEntryBytesExactlyThenCrLf) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    const std::vector<QByteArray> entries = {
        QByteArray("LEVEL:5"),
        QByteArray("\x00\x80\xFF\x7F", 4),
        QByteArray("a\tb \xF1\x80"),
        QByteArray(1, '\0'),
    };
    {
        SessionLog log;
        ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
        for (const QByteArray &entry : entries) {
            EXPECT_TRUE(log.write(entry));
        }
        EXPECT_TRUE(log.flush());
    }
    EXPECT_BYTES(readAll(path), QByteArray::fromHex("4c4556454c3a35 0d0a"
                                                    "0080ff7f 0d0a"
                                                    "610962 20f180 0d0a"
                                                    "00 0d0a"));
}

TEST(SessionLog, FlushMakesBytesVisibleToAnotherReader) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    SessionLog log;
    ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
    ASSERT_TRUE(log.write("first"));
    ASSERT_TRUE(log.flush());
    EXPECT_BYTES(readAll(path), QByteArray("first\r\n"));
    ASSERT_TRUE(log.write("second"));
    ASSERT_TRUE(log.flush());
    EXPECT_BYTES(readAll(path), QByteArray("first\r\nsecond\r\n"));
    EXPECT_TRUE(log.isOpen());
}

TEST(SessionLog, DestructorClosesAndKeepsTheLines) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    {
        SessionLog log;
        ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
        ASSERT_TRUE(log.write("unflushed"));
    }
    EXPECT_BYTES(readAll(path), QByteArray("unflushed\r\n"));
}

TEST(SessionLog, CloseTwiceIsHarmless) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    SessionLog log;
    log.close(); // never opened
    EXPECT_FALSE(log.isOpen());
    ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
    ASSERT_TRUE(log.write("kept"));
    log.close();
    log.close();
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.write("lost"));
    EXPECT_FALSE(log.flush());
    EXPECT_BYTES(readAll(path), QByteArray("kept\r\n"));

    // A closed log opens again; appending continues the file.
    ASSERT_EQ(log.open(path, SessionLog::Mode::Append), std::nullopt);
    ASSERT_TRUE(log.write("more"));
    log.close();
    EXPECT_BYTES(readAll(path), QByteArray("kept\r\nmore\r\n"));
}

TEST(SessionLog, OpenFailuresGiveAReasonAndStayClosed) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folderNamedLikeTheLog = dir.filePath("tav.log");
    ASSERT_TRUE(QDir(dir.path()).mkdir("tav.log"));
    const QString inMissingFolder = dir.filePath("missing/tav.log");

    for (const QString &path : {folderNamedLikeTheLog, inMissingFolder}) {
        for (SessionLog::Mode mode : {SessionLog::Mode::Truncate, SessionLog::Mode::Append}) {
            SCOPED_TRACE(testing::Message()
                         << path.toStdString()
                         << (mode == SessionLog::Mode::Append ? " append" : " truncate"));
            SessionLog log;
            const std::optional<QString> reason = log.open(path, mode);
            ASSERT_TRUE(reason.has_value());
            EXPECT_FALSE(reason->trimmed().isEmpty());
            EXPECT_FALSE(log.isOpen());
            EXPECT_FALSE(log.write("x"));
            EXPECT_FALSE(log.flush());
        }
    }
    EXPECT_TRUE(QFileInfo(folderNamedLikeTheLog).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));
}

TEST(SessionLog, FailedOpenClosesTheEarlierFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    SessionLog log;
    ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
    ASSERT_TRUE(log.write("before"));
    EXPECT_TRUE(log.open(dir.filePath("missing/tav.log"), SessionLog::Mode::Append).has_value());
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.write("after"));
    EXPECT_BYTES(readAll(path), QByteArray("before\r\n"));
}

TEST(SessionLog, FifoAndDeviceAreRefusedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath("tav.log");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    for (const QString &path : {fifo, QStringLiteral("/dev/full")}) {
        for (SessionLog::Mode mode : {SessionLog::Mode::Truncate, SessionLog::Mode::Append}) {
            SCOPED_TRACE(testing::Message()
                         << path.toStdString()
                         << (mode == SessionLog::Mode::Append ? " append" : " truncate"));
            SessionLog log;
            auto opening = std::async(std::launch::async, [&] { return log.open(path, mode); });
            if (opening.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
                ADD_FAILURE() << "open blocked";
                // A reader on the FIFO's other end ends the wait, so the test stops by itself.
                const int reader =
                    ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
                opening.wait();
                if (reader >= 0) {
                    ::close(reader);
                }
            }
            EXPECT_EQ(opening.get().value_or(QString()).toStdString(), "not a regular file");
            EXPECT_FALSE(log.isOpen());
            EXPECT_FALSE(log.write("x"));
        }
    }
    EXPECT_EQ(QFileInfo(fifo).size(), 0);
    EXPECT_FALSE(QFileInfo(fifo).isFile());
}

TEST(SessionLog, CountsEntryCharactersSinceOpen) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    SessionLog log;
    EXPECT_EQ(log.bytesWritten(), 0);
    ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
    ASSERT_TRUE(log.write("LEVEL:5"));
    ASSERT_TRUE(log.write(QByteArray(3, '\0')));
    ASSERT_TRUE(log.write(""));
    EXPECT_EQ(log.bytesWritten(), 10); // CR LF not counted
    log.close();
    EXPECT_EQ(log.bytesWritten(), 10);

    // Appending starts the count afresh although the file keeps its lines.
    ASSERT_EQ(log.open(path, SessionLog::Mode::Append), std::nullopt);
    EXPECT_EQ(log.bytesWritten(), 0);
    ASSERT_TRUE(log.write("ab"));
    EXPECT_EQ(log.bytesWritten(), 2);
    ASSERT_TRUE(log.flush());
    EXPECT_EQ(readAll(path).size(), 10 + 3 * 2 + 2 + 2);
}

// Entries wait for flush() and then reach the file whole, whatever page of the file they start
// or end in, and however many there are.
struct GatherCase {
    const char *name;
    qsizetype before;       // bytes already in the file, so entries start mid-page
    std::vector<int> sizes; // entry lengths, line ends not counted
};

void PrintTo(const GatherCase &c, std::ostream *os) {
    *os << c.name;
}

class SessionLogGathers : public testing::TestWithParam<GatherCase> {};

TEST_P(SessionLogGathers, EntriesReachTheFileAtFlushWholeAndInOrder) {
    const GatherCase &c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("tav.log");
    const QByteArray before(c.before, 'b');
    writeFile(path, before);
    SessionLog log;
    ASSERT_EQ(log.open(path, SessionLog::Mode::Append), std::nullopt);
    QByteArray expected = before;
    qint64 characters = 0;
    for (std::size_t i = 0; i < c.sizes.size(); ++i) {
        QByteArray entry = QByteArray::number(static_cast<qulonglong>(i)) + ':';
        entry = entry.leftJustified(c.sizes[i], char('a' + i % 26), true);
        ASSERT_TRUE(log.write(entry));
        expected += entry + "\r\n";
        characters += entry.size();
    }
    EXPECT_EQ(log.bytesWritten(), characters);
    EXPECT_BYTES(readAll(path), before); // nothing before the flush
    ASSERT_TRUE(log.flush());
    EXPECT_BYTES(readAll(path), expected);
    ASSERT_TRUE(log.write("last"));
    ASSERT_TRUE(log.flush());
    EXPECT_BYTES(readAll(path), expected + "last\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    SessionLog, SessionLogGathers,
    testing::Values(GatherCase{"OneEntry", 0, {5}},
                    GatherCase{"ThousandLinesAcrossPages", 0, std::vector<int>(1000, 62)},
                    GatherCase{"EntryEndingOnThePageEnd", 4096 - 12, {10, 62, 62}},
                    GatherCase{"EntryLongerThanAPage", 100, {30, 9000, 30, 4094, 4095, 1}},
                    GatherCase{"MixedSizesFromMidPage", 4000, {62, 17, 62, 62, 9, 3000, 62, 62}}),
    [](const testing::TestParamInfo<GatherCase> &info) { return std::string(info.param.name); });

TEST(SessionLog, OverLimitOnlyPastTheLimit) {
    ASSERT_EQ(SessionLog::kLimitBytes, 10'000'000);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SessionLog log;
    ASSERT_EQ(log.open(dir.filePath("tav.log"), SessionLog::Mode::Truncate), std::nullopt);
    ASSERT_TRUE(log.write(QByteArray(SessionLog::kLimitBytes, 'x')));
    EXPECT_EQ(log.bytesWritten(), SessionLog::kLimitBytes);
    EXPECT_FALSE(log.overLimit());
    ASSERT_TRUE(log.write("y"));
    EXPECT_EQ(log.bytesWritten(), SessionLog::kLimitBytes + 1);
    EXPECT_TRUE(log.overLimit());
    ASSERT_EQ(log.open(dir.filePath("tav.log"), SessionLog::Mode::Append), std::nullopt);
    EXPECT_FALSE(log.overLimit());
}

TEST(SessionLog, FullDiskSaysWhyAndKeepsOnlyWholeEntries) {
    const TinyDisk disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs (needs root): " << disk.whyNot();
    }
    const QString path = disk.filePath("tav.log");
    QByteArray expected;
    qint64 counted = 0;
    {
        SessionLog log;
        ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
        // 1002 bytes a line: the line that fails is partly written before the disk is full.
        bool failed = false;
        for (int i = 0; i < 40 && !failed; ++i) {
            const QByteArray entry =
                QByteArray::number(i).rightJustified(4, '0') + QByteArray(996, char('a' + i % 26));
            if (log.write(entry) && log.flush()) {
                expected += entry + "\r\n";
            } else {
                failed = true;
            }
        }
        ASSERT_TRUE(failed) << "40 KB fitted on a 16 KiB disk";
        EXPECT_EQ(log.errorString().toStdString(), "No space left on device");
        counted = log.bytesWritten();
    }
    const QByteArray kept = readAll(path);
    EXPECT_GE(kept.size(), 10 * 1002);
    EXPECT_EQ(kept.size(), expected.size());
    EXPECT_EQ(counted, expected.size() / 1002 * 1000); // the failed entry is not counted
    EXPECT_TRUE(kept == expected) << "the file does not end with the last whole entry";
}

// A disk that fills during one flush of many entries: the file keeps the whole entries that fit,
// and only they are counted.
TEST(SessionLog, FullDiskDuringAFlushKeepsWholeEntriesAndCountsOnlyThem) {
    const TinyDisk disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs (needs root): " << disk.whyNot();
    }
    const QString path = disk.filePath("tav.log");
    QByteArray offered;
    qint64 counted = 0;
    {
        SessionLog log;
        ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
        for (int i = 0; i < 600; ++i) { // 600 lines of 64 bytes: twice what the disk holds
            const QByteArray entry = QByteArray::number(i).rightJustified(5, '0') + ' ' +
                                     QByteArray(56, char('a' + i % 26));
            ASSERT_TRUE(log.write(entry));
            offered += entry + "\r\n";
        }
        ASSERT_FALSE(log.flush()) << "38 KB fitted on a 16 KiB disk";
        EXPECT_EQ(log.errorString().toStdString(), "No space left on device");
        counted = log.bytesWritten();
    }
    const QByteArray kept = readAll(path);
    EXPECT_GE(kept.size(), 8 * 1024);
    EXPECT_TRUE(offered.startsWith(kept) && kept.endsWith("\r\n"))
        << "the file does not end with a whole entry: " << kept.right(20).toStdString();
    EXPECT_EQ(counted, kept.size() / 64 * 62);
}

TEST(SessionLog, RemovedFolderIsReportedOnFlush) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("session"));
    const QString path = dir.filePath("session/tav.log");
    SessionLog log;
    ASSERT_EQ(log.open(path, SessionLog::Mode::Truncate), std::nullopt);
    ASSERT_TRUE(log.write("one"));
    ASSERT_TRUE(log.flush());
    ASSERT_TRUE(QDir(dir.filePath("session")).removeRecursively());
    const bool written = log.write("two");
    const bool flushed = log.flush();
    EXPECT_FALSE(written && flushed);
    log.close();
}

} // namespace

// Faults a console meets in the field: loggers that vanish or cannot be
// reached, addresses that make no sense, replies that are huge, endless or
// binary, a session log that cannot be written and a damaged logger list.
// After each one the console must still work, tell the operator what he must
// know, and have lost nothing that reached it.

#include "integration/simprocess.h"
#include "support/console.h"
#include "support/printers.h"
#include "support/tinydisk.h"

#include "app/heapreuse.h"
#include "link/link.h"
#include "loggers/ui/loggergrid.h"
#include "replies/replypath.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer> // the one wall-clock bound, on opening Modify
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTcpServer>

#include <array>
#include <csignal>
#include <cstdio>
#include <limits>
#include <optional>

namespace {

// Literal bytes with embedded NULs kept.
template <std::size_t N> QByteArray raw(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

// A port on which nothing listens: the connection is refused.
quint16 deadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// Each entry followed by CR LF, as the session log holds entries.
QByteArray logOf(const QList<QByteArray> &lines) {
    QByteArray out;
    for (const QByteArray &line : lines) {
        out += line + "\r\n";
    }
    return out;
}

// The state letter of a process (R running, S sleeping, T stopped...), or 0.
char processState(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const qsizetype at = text.lastIndexOf(')');
    return at >= 0 && at + 2 < text.size() ? text[at + 2] : 0;
}

} // namespace

// A started console with the loopback peer as the logger of grid row 1, and a
// simulator for the faults that need a real process.
class FaultTest : public ConsoleTest {
protected:
    void TearDown() override {
        ConsoleTest::TearDown();
        sim.stop();
    }
    // Row 1 is the loopback peer.
    void startWithPeer(const QByteArray &moreRows = {}) {
        writeLoggers("LOGGER:Weir,127.0.0.1," + QByteArray::number(peer.port()) + "\r\n" +
                     moreRows);
        start();
    }
    void connectPeer() {
        clickCell(1, 0);
        trigger("Conectar");
        ASSERT_TRUE(waitEnded());
        ASSERT_TRUE(console->link().isConnected());
        ASSERT_TRUE(peer.waitForClient());
        ASSERT_TRUE(peer.waitForBytes(6));
    }
    void activateLog() {
        prompter.answers = {true};
        trigger("Activar_Log");
    }
    // The operator's next command after a fault: without a link it must say so
    // and send nothing.
    void expectNoConnection() {
        prompter.boxes.clear();
        trigger("Version");
        EXPECT_EQ(prompter.texts(), QStringList{"There is no connection"});
        EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
    }
    QStringList trace() const { return entries(traceList()); }
    QStringList operation() const { return entries(operationList()); }
    QString logPath() const { return path(QStringLiteral("tav.log")); }

    SimProcess sim;
};

// ---------------------------------------------------------------------------
// The logger drops the link in the middle of a parameter listing.

class DropMidListingTest : public FaultTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DropMidListingTest, EverythingReceivedIsCollectedShownAndLogged) {
    const bool inFlight = GetParam(); // the close races the last bytes
    startWithPeer();
    activateLog();
    connectPeer();
    trigger("Ver_Parametros");
    ASSERT_TRUE(peer.waitForBytes(12));

    const auto &all = SimProcess::factoryParameters();
    QByteArray sent = "{Received ask parameters}\r\n{Parameters: 26}\r\n";
    QList<QByteArray> logged{"Received ask parameters", "Parameters: 26"};
    for (int i = 0; i < 12; ++i) {
        sent += '{' + all[i].first + ':' + all[i].second + "}\r\n";
        logged << all[i].first + ':' + all[i].second;
    }
    sent += "{TIME_ZONE:UTC+0"; // cut inside the thirteenth line
    logged << "TIME_ZONE:UTC+0";
    if (inFlight) {
        peer.send(sent);
        peer.dropClient();
    } else {
        reply(sent);
        peer.dropClient();
    }
    ASSERT_TRUE(waitUntil([&] {
        return !console->link().isConnected() && !operation().isEmpty() &&
               operation().last() == "TIME_ZONE:UTC+0";
    }));

    // Collected: the twelve whole lines; the cut one is shown but is no parameter.
    ASSERT_EQ(console->listing().table().count(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(console->listing().table().name(i), all[i].first);
        EXPECT_EQ(console->listing().table().value(i), all[i].second);
    }
    QStringList shown;
    for (const QByteArray &line : logged) {
        shown << QString::fromLatin1(line);
    }
    EXPECT_EQ(operation(), shown);
    EXPECT_TRUE(trace().isEmpty());
    EXPECT_EQ(fileBytes(logPath()), logOf(logged));
    EXPECT_EQ(prompter.boxes.size(), 1u); // only the log's question so far

    // The next command finds no link, says so, and sends nothing.
    expectNoConnection();
    EXPECT_EQ(peer.received(), "TAV@01TAV@03");
    EXPECT_EQ(console->listing().table().count(), 12);
    trigger("Desconectar");
    ASSERT_TRUE(runSteps(15000));
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Selected);

    // And the logger can be reached again.
    peer.clearReceived();
    prompter.boxes.clear();
    trigger("Conectar");
    ASSERT_TRUE(waitEnded());
    ASSERT_TRUE(console->link().isConnected());
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_EQ(console->listing().table().count(), 0);
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Drop, DropMidListingTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("WithBytesInFlight")
                                               : std::string("AfterTheBytesWereRead");
                         });

// The simulator process is killed while it writes a listing in small pieces:
// the console must hold exactly a prefix of the listing, nothing garbled.
TEST_F(FaultTest, SimulatorKilledMidListingLeavesAWholePrefix) {
    ASSERT_TRUE(sim.start({"--trace-interval", "0", "--chunk", "7", "--chunk-gap", "15"}))
        << sim.error().toStdString();
    writeLoggers("LOGGER:North,127.0.0.1," + QByteArray::number(sim.port()) + "\r\n");
    start();
    activateLog();
    clickCell(1, 0);
    trigger("Conectar");
    ASSERT_TRUE(waitEnded());
    ASSERT_TRUE(console->link().isConnected());
    ASSERT_TRUE(waitUntil([&] { return operation().size() == 1; }));
    trigger("Ver_Parametros");
    ASSERT_TRUE(waitUntil([&] { return console->listing().table().count() >= 8; }, 10000));
    sim.kill();
    ASSERT_TRUE(waitUntil([&] { return !console->link().isConnected() && allRead(); }));

    const int n = console->listing().table().count();
    const auto &all = SimProcess::factoryParameters();
    ASSERT_LT(n, static_cast<int>(all.size())) << "the kill came too late to cut the listing";
    const QStringList listing = SimProcess::listingLines(all);
    QStringList shown = operation();
    ASSERT_EQ(shown.takeFirst(), "Welcome to TAV-3 logger North");
    // Header, n parameters, and at most one unfinished line that begins the next one.
    ASSERT_GE(shown.size(), n + 2);
    ASSERT_LE(shown.size(), n + 3);
    EXPECT_EQ(shown.mid(0, n + 2), listing.mid(0, n + 2));
    if (shown.size() == n + 3) {
        const QString next = listing[n + 2];
        // Up to the whole line when only its line feed was missing; never a parameter.
        EXPECT_TRUE(!shown.last().isEmpty() && next.startsWith(shown.last()))
            << shown.last().toStdString();
    }
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(console->listing().table().name(i), all[i].first);
        EXPECT_EQ(console->listing().table().value(i), all[i].second);
    }
    QList<QByteArray> logged;
    for (const QString &line : operation()) {
        logged << line.toLatin1();
    }
    EXPECT_EQ(fileBytes(logPath()), logOf(logged));
    expectNoConnection();
}

// ---------------------------------------------------------------------------
// Loggers that cannot be reached.

TEST_F(FaultTest, RefusedConnectionEndsAfterTheWaitAndTheConsoleGoesOn) {
    startWithPeer("LOGGER:Dead,127.0.0.1," + QByteArray::number(deadPort()) + "\r\n");
    clickCell(2, 0);
    const qint64 before = clock.tenths();
    trigger("Conectar");
    ASSERT_TRUE(runSteps(15000));
    EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
    // The whole wait (fake 30 s), then two half-second pauses.
    EXPECT_EQ(clock.tenths() - before, 301 + 10);
    EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
    EXPECT_FALSE(waitProgress().isVisible());
    EXPECT_EQ(grid().mark(2), LoggerGrid::Mark::Selected);

    expectNoConnection();

    prompter.boxes.clear();
    connectPeer();
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_EQ(grid().mark(1), LoggerGrid::Mark::Connected);
    EXPECT_EQ(grid().mark(2), LoggerGrid::Mark::None);
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

// A logger out of reach: the attempt hangs (the simulator lets no handshake
// through). The console gives up after its (fake) 30 s, or at once on Abort,
// and the abandoned attempt does not stand in the way of the next Connect.
TEST_F(FaultTest, HangingConnectionIsGivenUpOrAbortedAndLeavesNothingBehind) {
    ASSERT_TRUE(sim.start({"--dead-port"})) << sim.error().toStdString();
    startWithPeer("LOGGER:Far,127.0.0.1," + QByteArray::number(sim.port()) + "\r\n");
    const struct {
        bool abort;
        QString message;
    } cases[] = {{false, "Not able to connect"}, {true, "Connection stopped"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        prompter.boxes.clear();
        clickCell(2, 0);
        const qint64 before = clock.tenths();
        trigger("Conectar");
        const bool pendingSeen = waitUntil([&] { return console->link().isStale(); });
        if (c.abort) {
            clock.advance(50);
            trigger("Abort_conn");
        }
        ASSERT_TRUE(runSteps(15000));
        EXPECT_TRUE(pendingSeen);
        EXPECT_EQ(prompter.texts(), QStringList{c.message});
        EXPECT_EQ(clock.tenths() - before, (c.abort ? 50 : 301) + 10);
        EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
        EXPECT_FALSE(waitProgress().isVisible());
        EXPECT_EQ(grid().mark(2), LoggerGrid::Mark::Selected);
    }
    EXPECT_FALSE(sim.log().contains("connected from"));
    prompter.boxes.clear();
    connectPeer();
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

// Names no resolver could hold (a label over 63 characters, a name over 255):
// Qt turns them down itself, without asking any server, so no DNS traffic
// leaves this machine, whose only network is loopback. Checked by hand with
//   strace -f -e trace=network ./mirvane_integration_tests
//          --gtest_filter='*HostNameThatCannotExist*'
// which shows no AF_INET socket other than to 127.0.0.1, and nothing to port 53.
TEST_F(FaultTest, HostNameThatCannotExistIsNotAbleToConnect) {
    const QString longLabel = QString(64, QChar('a')) + QStringLiteral(".example");
    const QString longName = QString(300, QChar('b'));
    startWithPeer("LOGGER:Typo," + longLabel.toLatin1() + ",4001\r\nLOGGER:Long," +
                  longName.toLatin1() + ",4001\r\n");
    // A name over 253 characters is no host name at all: refused before any attempt.
    clickCell(3, 0);
    trigger("Conectar");
    EXPECT_FALSE(console->connection().isWaiting());
    EXPECT_EQ(prompter.texts(),
              QStringList{"Error conecting logger " + longName.left(256) + " (4001)"});
    for (const int row : {2}) {
        SCOPED_TRACE(row);
        prompter.boxes.clear();
        clickCell(row, 0);
        const qint64 before = clock.tenths();
        trigger("Conectar");
        ASSERT_TRUE(runSteps(15000));
        // Qt turns the name down in its lookup, which always reports later: the
        // console waits its whole (fake) 30 s, as for any logger out of reach.
        EXPECT_EQ(prompter.texts(), QStringList{"Not able to connect"});
        EXPECT_EQ(clock.tenths() - before, 301 + 10);
        EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
        EXPECT_FALSE(waitProgress().isVisible());
        EXPECT_EQ(grid().mark(row), LoggerGrid::Mark::Selected);
        expectNoConnection();
    }
    prompter.boxes.clear();
    connectPeer();
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

TEST_F(FaultTest, PortsThatAreNoPortTakeTheErrorPath) {
    const QList<QByteArray> ports = {"0", "70000", "abc", "65536", "-1", "", "4001x", "1e3"};
    QByteArray rows;
    for (const QByteArray &port : ports) {
        rows += "LOGGER:Bad,127.0.0.1," + port + "\r\n";
    }
    startWithPeer(rows);
    for (int i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(ports[i].toStdString());
        prompter.boxes.clear();
        clickCell(i + 2, 0);
        trigger("Conectar");
        // No wait at all: the address is refused before any attempt.
        EXPECT_FALSE(console->connection().isWaiting());
        EXPECT_EQ(prompter.texts(), QStringList{"Error conecting logger 127.0.0.1 (" +
                                                QString::fromLatin1(ports[i]) + ")"});
        EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
        EXPECT_FALSE(waitProgress().isVisible());
        EXPECT_EQ(grid().mark(i + 2), LoggerGrid::Mark::Selected);
    }
    prompter.boxes.clear();
    connectPeer();
    EXPECT_EQ(peer.received(), "TAV@01");
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
}

// ---------------------------------------------------------------------------
// Replies that are huge, endless or binary.

// 10,000,000 bytes in one burst: 10,000 trace and 10,000 operation lines of
// 500 bytes each. Every line is processed: the lists end with the newest 600,
// the log holds every line.
TEST_F(FaultTest, TenMegabyteBurstIsProcessedWhole) {
    startWithPeer();
    activateLog();
    connectPeer();
    constexpr int kPairs = 10'000;
    constexpr int kLineBytes = 500;
    QByteArray burst;
    burst.reserve(kPairs * 2 * kLineBytes + 32);
    QByteArray expectedLog;
    expectedLog.reserve(kPairs * 2 * kLineBytes);
    const auto numbered = [](const char *head, int i, qsizetype size, char fill) {
        QByteArray text = head + QByteArray::number(i).rightJustified(6, '0') + ' ';
        return text + QByteArray(size - text.size(), fill);
    };
    for (int i = 0; i < kPairs; ++i) {
        const QByteArray t = numbered("trace ", i, kLineBytes - 2, 't');
        const QByteArray o = numbered("op ", i, kLineBytes - 4, 'o');
        burst += t + "\r\n{" + o + "}\r\n";
        expectedLog += t + "\r\n" + o + "\r\n";
    }
    burst += "LAST trace line\r\n";
    expectedLog += "LAST trace line\r\n";
    ASSERT_EQ(burst.size(), kPairs * 2 * kLineBytes + 17);

    peer.send(burst);
    ASSERT_TRUE(waitUntil([&] { return !trace().isEmpty() && trace().last() == "LAST trace line"; },
                          40000));
    EXPECT_EQ(traceList().count(), 600);
    EXPECT_EQ(operationList().count(), 600);
    EXPECT_EQ(trace().first(), QString::fromLatin1(numbered("trace ", kPairs - 599, 498, 't')));
    EXPECT_EQ(operation().first(), QString::fromLatin1(numbered("op ", kPairs - 600, 496, 'o')));
    EXPECT_EQ(operation().last(), QString::fromLatin1(numbered("op ", kPairs - 1, 496, 'o')));
    EXPECT_EQ(traceList().currentRow(), 599);
    EXPECT_EQ(operationList().currentRow(), 599);

    const QByteArray logged = fileBytes(logPath());
    EXPECT_EQ(logged.size(), expectedLog.size());
    EXPECT_TRUE(logged == expectedLog) << "the log differs from what was received";
    const qsizetype counted = expectedLog.size() - 2 * (2 * kPairs + 1);
    EXPECT_EQ(console->replies().logBytes(), static_cast<double>(counted));
    EXPECT_EQ(logCaption().text(), " " + QString::number(counted) + " bytes");
    EXPECT_TRUE(console->replies().logActive());
    EXPECT_EQ(prompter.boxes.size(), 1u);

    // Still answering.
    peer.clearReceived();
    trigger("Version");
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received(), "TAV@07");
}

// One line just under 1 MiB that never gets its line feed: shown whole, once, when
// the link closes or after the idle second; never cut into pieces, never
// taken for a parameter.
class EndlessLineTest : public FaultTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EndlessLineTest, IsShownWholeOnce) {
    const bool closeLink = GetParam();
    startWithPeer();
    activateLog();
    connectPeer();
    trigger("Ver_Parametros");
    // One byte short of the bound on what an entry can hold.
    QByteArray text = "NAME:";
    while (text.size() < ReplyFramer::kMaxEntryBytes) {
        text += "0123456789abcdef";
    }
    text.truncate(ReplyFramer::kMaxEntryBytes - 1);
    reply('{' + text, 10000);
    if (closeLink) {
        // Shown at the close, with no time gone by.
        peer.dropClient();
        ASSERT_TRUE(waitUntil([&] { return !operation().isEmpty(); }, 5000));
        clock.advance(20); // and the idle second that follows shows nothing more
    } else {
        // Not before a whole second without arrivals.
        clock.advance(9);
        EXPECT_TRUE(operation().isEmpty());
        clock.advance(1);
    }
    // One entry (shown cut, as any long entry is); the log holds every byte.
    ASSERT_EQ(operation().size(), 1);
    EXPECT_TRUE(operation().first() == ReplyList::shownText(text));
    EXPECT_TRUE(trace().isEmpty());
    EXPECT_EQ(console->listing().table().count(), 0);
    EXPECT_TRUE(fileBytes(logPath()) == text + "\r\n");
    EXPECT_EQ(logCaption().text(), " 1048575 bytes");
    if (closeLink) {
        expectNoConnection();
    } else {
        // The link is still up and the line still open in operation mode.
        EXPECT_TRUE(console->link().isConnected());
        trigger("Borrar_Operacion"); // a megabyte on screen makes every repaint slow
        reply("more}\r\n{NEXT:1}\r\n");
        EXPECT_EQ(operation(), (QStringList{"more", "NEXT:1"}));
        EXPECT_TRUE(fileBytes(logPath()) == text + "\r\nmore\r\nNEXT:1\r\n");
    }
}

namespace {

// AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing
// about what the code holds; the memory bounds are checked in the ordinary builds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryTells = false;
#else
constexpr bool kResidentMemoryTells = true;
#endif

qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

} // namespace

// A logger that streams text and never a line feed: memory stays flat, the text is
// handed on in entries of at most 1 MiB, and the log stops at its limit with at most
// one such entry past it.
TEST_F(FaultTest, EndlessStreamKeepsMemoryFlatAndTheLogBounded) {
    constexpr qint64 kTotal = 48 * 1024 * 1024;
    constexpr qint64 kPiece = 256 * 1024;
    startWithPeer();
    activateLog();
    connectPeer();
    trigger("Ver_Parametros");
    QByteArray piece;
    while (piece.size() < kPiece) {
        piece += "KEY:0123456789abcdefghijklmnopqrstuvwxyz";
    }
    piece.truncate(kPiece);
    peer.send("{" + piece); // in braces: pieces that could pass for parameter lines
    qint64 sent = kPiece;
    const qint64 before = residentKiB();
    ASSERT_GT(before, 0);
    qint64 peak = before;
    ASSERT_TRUE(waitUntil(
        [&] {
            // Fed as the socket takes it, so the peer's own buffer stays small.
            while (sent < kTotal && peer.unsent() < 4 * kPiece) {
                peer.send(piece);
                sent += kPiece;
            }
            peak = std::max(peak, residentKiB());
            return sent == kTotal && allRead();
        },
        60000));
    // Unbounded, the unfinished line alone would have grown by the whole 48 MiB.
    if (kResidentMemoryTells) {
        EXPECT_LT(peak - before, 16 * 1024) << "KiB";
    }
    EXPECT_GE(operation().size(), 40);
    EXPECT_EQ(console->listing().table().count(), 0);
    EXPECT_FALSE(console->replies().logActive());
    EXPECT_EQ(logCaption().text(), QStringLiteral("Desactivado por tamaño"));
    const QByteArray logged = fileBytes(logPath());
    const qint64 entries = logged.count("\r\n");
    EXPECT_LE(logged.size() - 2 * entries, SessionLog::kLimitBytes + ReplyFramer::kMaxEntryBytes);
    EXPECT_GT(logged.size() - 2 * entries, SessionLog::kLimitBytes);
    for (const QByteArray &entry : logged.split('\n')) {
        EXPECT_LE(entry.size(), ReplyFramer::kMaxEntryBytes + 1);
    }
}

// Minor page faults of this process so far (field 10 of /proc/self/stat), or -1.
qint64 minorFaults() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 7 ? fields[7].toLongLong() : -1; // field 10 of the whole line
}

// A sustained flood reuses the memory it read into: once the first megabytes have been
// through, the console faults in next to no fresh pages for what follows.
TEST_F(FaultTest, SustainedFloodFaultsInFewFreshPages) {
    reuseFreedHeapMemory(); // as the console's main() does
    startWithPeer();
    connectPeer();
    QByteArray piece;
    for (int i = 0; piece.size() < 1024 * 1024; ++i) {
        const QByteArray n = QByteArray::number(i);
        piece += i % 5 == 4 ? "{NAME_" + n + '=' + n + "}\r\n"
                            : ("12:00:00 AI1=04.210mA " + n).leftJustified(62, '.') + "\r\n";
    }
    const auto flood = [&](int megabytes) {
        int sent = 0;
        return waitUntil(
            [&] {
                while (sent < megabytes && peer.unsent() < 4 * piece.size()) {
                    peer.send(piece);
                    ++sent;
                }
                return sent == megabytes && allRead();
            },
            60000);
    };
    // The heap grows to what a flood needs over the first ones.
    ASSERT_TRUE(flood(16));
    ASSERT_TRUE(flood(16));
    // Three stretches of the flood, judged by the best: a one-off in one of them (a library's
    // code paged in on its first use, the heap growing once more under load) is not what the
    // flood costs, while memory taken afresh every turn shows in all three.
    double best = std::numeric_limits<double>::max();
    for (int stretch = 0; stretch < 3; ++stretch) {
        const qint64 before = minorFaults();
        ASSERT_GE(before, 0);
        ASSERT_TRUE(flood(16));
        const double perMegabyte = (minorFaults() - before) / 16.0;
        std::printf("[ figures  ] %.1f minor faults per MB received\n", perMegabyte);
        best = std::min(best, perMegabyte);
    }
    if (kResidentMemoryTells) { // the sanitizer's allocator keeps freed memory apart
        EXPECT_LE(best, 20);
    }
}

// One entry of a megabyte on screen: further replies must still be shown at
// the usual pace.
TEST_F(FaultTest, MegabyteEntryOnScreenKeepsTheWindowResponsive) {
    // Were the entry shown whole, every later arrival would cost about 650 ms
    // (the list lays out and paints the whole text on each repaint).
    startWithPeer();
    connectPeer();
    reply("{" + QByteArray(1024 * 1024, 'x') + "}\r\n", 10000);
    ASSERT_EQ(operation().size(), 1);
    EXPECT_EQ(operation().first().size(),
              ReplyList::shownText(QByteArray(1024 * 1024, 'x')).size());
    for (int i = 0; i < 10; ++i) {
        reply("{short " + QByteArray::number(i) + "}\r\n");
        ASSERT_EQ(operation().size(), i + 2);
    }
}

// A listing of 200 lines at the framer's bound: shown as ever, but not collected, so memory
// stays flat and Modify opens at once.
TEST_F(FaultTest, HugeParameterLinesAreNotCollectedAndModifyOpensAtOnce) {
    constexpr int kLines = 200;
    startWithPeer();
    connectPeer();
    trigger("Ver_Parametros");
    // The largest operation text the framer hands on whole.
    const QByteArray text = QByteArray(ReplyFramer::kMaxEntryBytes - 3, 'N') + ":v";
    const QByteArray line = '{' + text + "}\r\n";
    const qint64 before = residentKiB();
    ASSERT_GT(before, 0);
    qint64 peak = before;
    int sent = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            while (sent < kLines && peer.unsent() < 4 * line.size()) {
                peer.send(line);
                ++sent;
            }
            peak = std::max(peak, residentKiB());
            return sent == kLines && allRead();
        },
        60000));
    EXPECT_EQ(operation().size(), kLines);
    EXPECT_EQ(operation().last(), ReplyList::shownText(text));
    EXPECT_EQ(console->listing().table().count(), 0);

    QElapsedTimer opening;
    opening.start();
    trigger("Modificar_Parametros");
    QDialog *dialog = openDialog(*main, "Dialog");
    const qint64 openMs = opening.elapsed();
    peak = std::max(peak, residentKiB());
    ASSERT_NE(dialog, nullptr);
    // A bound on wall-clock time, generous for a loaded machine: collected, the names took
    // half a minute to put into the dialog.
    EXPECT_LT(openMs, 1000);
    EXPECT_EQ(dialog->findChild<QComboBox *>("Param")->count(), 1);
    // Collected, the names alone were 200 MiB, and twice that again as the dialog's text.
    if (kResidentMemoryTells) {
        EXPECT_LT(peak - before, 48 * 1024) << "KiB";
    }
    std::printf("[ figures  ] dialog open in %lld ms, resident memory +%lld KiB\n",
                static_cast<long long>(openMs), static_cast<long long>(peak - before));
}

INSTANTIATE_TEST_SUITE_P(Flush, EndlessLineTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("WhenTheLinkCloses")
                                               : std::string("AfterTheIdleSecond");
                         });

// NUL, 0xFF and every other byte but the four the framing uses: kept in the
// list text (one character per byte) and byte-exact in tav.log.
TEST_F(FaultTest, BinaryBytesAreShownAndLoggedExactly) {
    startWithPeer();
    activateLog();
    connectPeer();
    QByteArray every;
    for (int b = 0; b < 256; ++b) {
        if (b != '\n' && b != '\r' && b != '{' && b != '}') {
            every.append(static_cast<char>(b));
        }
    }
    ASSERT_EQ(every.size(), 252);
    reply(every + "\r\n" + raw("{\0}\r\n\0\0\0\r\n\xFF\xFF{op\xFF\0end}\r\n"));

    const QStringList t = trace();
    ASSERT_EQ(t.size(), 3);
    ASSERT_EQ(t[0].size(), 252);
    EXPECT_EQ(t[0][0], QChar(0));
    // Indices are one per byte, less LF and CR below 0x41 and the braces below 0x80.
    EXPECT_EQ(t[0][0x41 - 2], QChar('A'));
    EXPECT_EQ(t[0][0x80 - 4], QChar(0x20AC)); // 0x80 is the euro sign in the code page
    EXPECT_EQ(t[0][0x81 - 4], QChar(0x81));   // an undefined byte keeps its value
    EXPECT_EQ(t[0][251], QChar(0xFF));
    EXPECT_EQ(t[1], QString(3, QChar(0)));
    EXPECT_EQ(t[2], QString(2, QChar(0xFF)));
    EXPECT_EQ(operation(), (QStringList{QString(1, QChar(0)),
                                        QStringLiteral("op") + QChar(0xFF) + QChar(0) + "end"}));

    const QByteArray expected = every + "\r\n" + raw("\0\r\n\0\0\0\r\n\xFF\xFF\r\nop\xFF\0end\r\n");
    EXPECT_EQ(fileBytes(logPath()).toHex(' '), expected.toHex(' '));
    EXPECT_EQ(console->replies().logBytes(), 252 + 1 + 3 + 2 + 7);
}

// ---------------------------------------------------------------------------
// A session log that cannot be written.

TEST_F(FaultTest, LogThatIsADirectoryIsReportedAndRepliesGoOn) {
    startWithPeer();
    connectPeer();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("tav.log"));
    activateLog();
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_TRUE(prompter.boxes[1].text.startsWith("Cannot open " + logPath() + ": "))
        << prompter.boxes[1].text.toStdString();
    EXPECT_GT(prompter.boxes[1].text.size(), ("Cannot open " + logPath() + ": ").size());
    EXPECT_FALSE(console->replies().logActive());

    reply("one\r\n{two}\r\n");
    reply("three\r\n");
    EXPECT_EQ(trace(), (QStringList{"one", "three"}));
    EXPECT_EQ(operation(), QStringList{"two"});
    EXPECT_EQ(prompter.boxes.size(), 2u);

    // Once the way is clear, logging works again.
    ASSERT_TRUE(QDir(m_dir.path()).rmdir("tav.log"));
    activateLog();
    EXPECT_TRUE(console->replies().logActive());
    reply("four\r\n");
    EXPECT_EQ(fileBytes(logPath()), "four\r\n");
    EXPECT_EQ(prompter.boxes.size(), 3u);
}

// The log opens but every write fails (a full disk), its folder is removed, or another file
// is renamed over it (as an editor saves) while it is written: the console says so once,
// stops logging, and keeps showing replies.
enum class LogLoss { DiskFull, FolderRemoved, Replaced };

class LogLostTest : public FaultTest, public ::testing::WithParamInterface<LogLoss> {};

TEST_P(LogLostTest, IsReportedOnceAndRepliesGoOn) {
    const LogLoss loss = GetParam();
    std::optional<TinyDisk> disk;
    if (loss == LogLoss::DiskFull) {
        disk.emplace();
        if (!disk->mounted()) {
            GTEST_SKIP() << "no tmpfs: " << disk->whyNot();
        }
        m_workDir = disk->path();
    }
    startWithPeer();
    connectPeer();
    activateLog();
    ASSERT_TRUE(console->replies().logActive());
    reply("before\r\n");
    EXPECT_EQ(fileBytes(logPath()), "before\r\n");
    QString reason;
    switch (loss) {
    case LogLoss::DiskFull:
        // 16 KiB of disk: the first entry fits, a 20 KB one does not.
        reply(QByteArray(20000, 'x') + "\r\n");
        reason = QStringLiteral("No space left on device");
        break;
    case LogLoss::FolderRemoved:
        ASSERT_EQ(prompter.boxes.size(), 1u);
        ASSERT_TRUE(QDir(m_dir.path()).removeRecursively());
        reply("after\r\n{op}\r\n");
        reason = QStringLiteral("the file or its folder was removed");
        break;
    case LogLoss::Replaced: {
        ASSERT_EQ(prompter.boxes.size(), 1u);
        QFile other(path("other.txt"));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly) && other.write("other\r\n") == 7);
        other.close();
        ASSERT_EQ(::rename(QFile::encodeName(other.fileName()).constData(),
                           QFile::encodeName(logPath()).constData()),
                  0);
        reply("after\r\n{op}\r\n");
        reason = QStringLiteral("the file was replaced by another");
        break;
    }
    }
    ASSERT_EQ(prompter.boxes.size(), 2u);
    const RecordingPrompter::Box &box = prompter.boxes[1];
    EXPECT_FALSE(box.question);
    EXPECT_EQ(box.title, "TAVControl");
    EXPECT_EQ(box.text, "Error Log\r\n" + logPath() + ": " + reason);
    EXPECT_FALSE(console->replies().logActive());
    EXPECT_EQ(logCaption().text(), "Error Log");

    reply("later\r\n{more}\r\n");
    EXPECT_EQ(prompter.boxes.size(), 2u);
    const bool diskFull = loss == LogLoss::DiskFull;
    EXPECT_EQ(trace(),
              diskFull
                  ? (QStringList{"before", ReplyList::shownText(QByteArray(20000, 'x')), "later"})
                  : (QStringList{"before", "after", "later"}));
    EXPECT_EQ(operation(), diskFull ? (QStringList{"more"}) : (QStringList{"op", "more"}));
    if (loss != LogLoss::FolderRemoved) {
        // The file now at the name is left as it was.
        EXPECT_EQ(fileBytes(logPath()), diskFull ? "before\r\n" : "other\r\n");
    }
    peer.clearReceived();
    trigger("Version");
    ASSERT_TRUE(peer.waitForBytes(6));
    EXPECT_EQ(peer.received(), "TAV@07");
}

std::string logLossName(const ::testing::TestParamInfo<LogLoss> &info) {
    switch (info.param) {
    case LogLoss::DiskFull:
        return "DiskFull";
    case LogLoss::FolderRemoved:
        return "FolderRemoved";
    case LogLoss::Replaced:
        return "Replaced";
    }
    return {};
}

INSTANTIATE_TEST_SUITE_P(Log, LogLostTest,
                         ::testing::Values(LogLoss::DiskFull, LogLoss::FolderRemoved,
                                           LogLoss::Replaced),
                         logLossName);

// A console killed during a flood with the log on, at several points of it: the file ends with a
// whole entry each time, and holds exactly the entries that came before it. The process is
// stopped first, so the kill finds it between two system calls: a kill inside a write can
// still cut the entry that runs from one page of the file into the next, which no way of
// writing avoids.
TEST(KilledDuringAFlood, TheLogEndsWithAWholeEntry) {
    QByteArray stream;
    QByteArray logged;
    for (int i = 0; i < 150'000; ++i) {
        const QByteArray entry = i % 5 == 4 ? "NAME=" + QByteArray::number(i)
                                            : QByteArray::number(i).leftJustified(62, 't');
        stream += i % 5 == 4 ? '{' + entry + "}\r\n" : entry + "\r\n";
        logged += entry + "\r\n";
    }
    for (const qint64 killAt :
         {64'000, 256'000, 512'000, 1'000'000, 1'500'000, 2'000'000, 3'000'000, 4'000'000}) {
        SCOPED_TRACE(killAt);
        QTemporaryDir dir;
        LoopbackPeer peer;
        QProcess console;
        console.setWorkingDirectory(dir.path());
        console.start(QStringLiteral(LOGGING_CONSOLE_PATH), {QString::number(peer.port())});
        ASSERT_TRUE(peer.waitForClient(10000));
        ASSERT_TRUE(peer.waitForBytes(6, 10000));
        peer.send(stream);
        const QString logPath = dir.filePath(QStringLiteral("tav.log"));
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(logPath).size() >= killAt; }, 30000));
        const auto pid = static_cast<pid_t>(console.processId());
        ASSERT_EQ(::kill(pid, SIGSTOP), 0);
        ASSERT_TRUE(waitUntil([&] { return processState(pid) == 'T'; }, 10000));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        ASSERT_TRUE(console.waitForFinished(10000));
        const QByteArray file = fileBytes(logPath);
        ASSERT_LT(file.size(), logged.size()) << "the kill came after the flood";
        EXPECT_TRUE(file.endsWith("\r\n")) << file.right(40).toStdString();
        EXPECT_TRUE(logged.startsWith(file));
    }
}

// ---------------------------------------------------------------------------
// A damaged loggers.txt: the console starts, without a box, with the grid the
// file's readable lines give.

// One loggers.txt and the grid and FTP fields the console must show for it.
struct ListFile {
    const char *name;
    QByteArray bytes;
    std::vector<std::array<QString, 3>> rows; // grid rows 1.. ; all others empty
    std::array<QByteArray, 3> ftp;            // user, password, server
};

void PrintTo(const ListFile &file, std::ostream *out) {
    *out << file.name;
}

class DamagedListTest : public ConsoleTest, public ::testing::WithParamInterface<ListFile> {};

TEST_P(DamagedListTest, ConsoleStartsWithTheGridExpected) {
    const ListFile &file = GetParam();
    writeLoggers(file.bytes);
    start();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(grid().selectedRow(), 0);
    ASSERT_EQ(grid().rowCount(), 39);
    for (int row = 1; row <= 39; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QString expected = static_cast<std::size_t>(row) <= file.rows.size()
                                         ? file.rows[row - 1][column]
                                         : QString();
            EXPECT_EQ(grid().cell(row, column), expected) << "row " << row << " column " << column;
        }
        EXPECT_EQ(grid().mark(row), LoggerGrid::Mark::None);
    }
    EXPECT_EQ(console->ftpAccount().user, file.ftp[0]);
    EXPECT_EQ(console->ftpAccount().password, file.ftp[1]);
    EXPECT_EQ(console->ftpAccount().server, file.ftp[2]);
}

namespace {

QByteArray manyLoggers() {
    QByteArray text;
    for (int i = 0; i < 25'000; ++i) {
        text += "LOGGER:L" + QByteArray::number(i) + ",10.0." + QByteArray::number(i / 256) + '.' +
                QByteArray::number(i % 256) + ',' + QByteArray::number(4000 + i % 1000) + "\r\n";
    }
    return text + "FTPSERVER:late,never,read\r\n";
}

std::vector<std::array<QString, 3>> manyLoggerRows() {
    std::vector<std::array<QString, 3>> rows;
    for (int i = 0; i < 39; ++i) {
        rows.push_back(
            {"L" + QString::number(i), "10.0.0." + QString::number(i), QString::number(4000 + i)});
    }
    return rows;
}

QByteArray manyComments() {
    QByteArray text = "FTPSERVER:u,p,s\r\n";
    for (int i = 0; i < 25'000; ++i) {
        text += "note," + QByteArray::number(i) + "\r\n";
    }
    return text;
}

const QString kNul(1, QChar(0));

} // namespace

INSTANTIATE_TEST_SUITE_P(
    LoggerList, DamagedListTest,
    ::testing::Values(
        ListFile{"EightBitBytes",
                 raw("FTPSERVER:us\xF1r,p\x80ss,ftp\xFF\r\nLOGGER:Pe\xF1"
                     "a\x80,10.0.0.1,4001\r\nLOGGER:\x01\x02\x7F,h\xE9st,40\xA0\r\n"),
                 {{QString::fromUtf8("Peña€"), "10.0.0.1", "4001"},
                  {QString::fromUtf8("\x01\x02\x7F"), QString::fromUtf8("hést"),
                   QString::fromUtf8("40\u00A0")}},
                 {raw("us\xF1r"), raw("p\x80ss"), raw("ftp\xFF")}},
        ListFile{"Nul",
                 raw("LOGGER:A\0B,127.0.0.1,4\0 01\r\n\0\r\nLOGGER:C,h,2\r\n"),
                 {{"A" + kNul + "B", "127.0.0.1", "4" + kNul + " 01"}, {}, {"C", "h", "2"}},
                 {}},
        ListFile{"TwentyFiveThousandLoggerLines", manyLoggers(), manyLoggerRows(), {}},
        // Keyword-less lines after an FTP line rewrite the FTP fields; the last wins.
        ListFile{"TwentyFiveThousandCommentLines",
                 manyComments() + "LOGGER:A,h,1\r\n",
                 {{"A", "h", "1"}},
                 {"24999", "p", "s"}},
        ListFile{"NoLineEnds",
                 "LOGGER:A,127.0.0.1,4001,LOGGER:B,127.0.0.2,4002",
                 {{"A", "127.0.0.1", "4001"}},
                 {}},
        ListFile{"CarriageReturnsOnly",
                 "LOGGER:A,h,1\rLOGGER:B,g,2\rFTPSERVER:u,p,s\r",
                 {{"A", "h", "1"}},
                 {}},
        ListFile{"Empty", "", {}, {}}),
    [](const ::testing::TestParamInfo<ListFile> &info) { return std::string(info.param.name); });

// Random bytes as the list: the console starts, and works.
TEST_F(FaultTest, RandomBytesAsTheListStillGiveAWorkingConsole) {
    QRandomGenerator random(20190307);
    QByteArray bytes(64 * 1024, '\0');
    for (char &b : bytes) {
        b = static_cast<char>(random.bounded(256));
    }
    bytes.replace("LOGGER", "LOGGEX"); // keep row 1 free for the peer below
    writeLoggers("LOGGER:Weir,127.0.0.1," + QByteArray::number(peer.port()) + "\r\n" + bytes);
    start();
    EXPECT_TRUE(prompter.boxes.empty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(grid().cell(1, 0), "Weir");
    connectPeer();
    EXPECT_EQ(peer.received(), "TAV@01");
}

// A port cell with a NUL in it is no number: the error path, naming the cell
// whole. Here the digits before the NUL are a live logger's port, so taking
// them for the port connects to a logger the row does not name.
TEST_F(FaultTest, NulInThePortIsNoPort) {
    // QString::toInt stops at the first NUL and reports success, so a port read
    // with it would be taken as <port> and connect to the wrong logger.
    const QByteArray port = QByteArray::number(peer.port()) + raw("\0") + "99";
    writeLoggers("LOGGER:A,127.0.0.1," + port + "\r\n");
    start();
    clickCell(1, 0);
    trigger("Conectar");
    EXPECT_EQ(prompter.texts(),
              QStringList{"Error conecting logger 127.0.0.1 (" + grid().cell(1, 2) + ")"});
    EXPECT_EQ(grid().cell(1, 2).size(), port.size());
    // No attempt was started: no wait runs, and the client never left its closed state.
    EXPECT_FALSE(console->connection().isWaiting());
    EXPECT_EQ(console->link().state(), QAbstractSocket::UnconnectedState);
}

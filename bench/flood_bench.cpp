// End to end: a logger floods the console with reply lines over loopback; the
// window shows them. Reports lines per second into the window, the same rate for a
// memchr line split of the very same bytes (the floor any console could reach) and
// the ratio of the two, and the longest gap between two turns of the event loop
// while it happens. On a shared machine a gap can be time the thread spent waiting
// for a core, so the main thread's own CPU time over each gap is reported too.
//
//   flood_bench [LINES] [--captures]
//
// With --captures (run it under Xvfb: xvfb-run -a bench/flood_bench 100000 --captures)
// the trace list's area is grabbed from the X server every 40 ms during the flood, and
// the share of grabs that show text (dark pixels of glyphs) is reported: what an
// operator watching the list sees, not what the widget's model holds.
#include "app/heapreuse.h"
#include "app/mainwindow.h"
#include "app/messageboxprompter.h"
#include "base/clock.h"
#include "console/console.h"
#include "replies/replyframer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

qint64 threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// Line i of the flood: one in three a parameter line in braces.
std::string floodLine(int i) {
    return (i % 3 == 0) ? "{PARAM_" + std::to_string(i) + ":42}\r\n"
                        : "12:00:00 AI1=4.21mA line " + std::to_string(i) + "\r\n";
}

// The whole flood, built before it is sent, so the console and not the logger is measured.
std::string floodBytes(int lines) {
    std::string stream;
    for (int i = 0; i < lines; ++i) {
        stream += floodLine(i);
    }
    return stream + "END\r\n";
}

// Lines per second of a plain memchr line split over the flood's bytes, best of five.
double memchrLinesPerSecond(const std::string &stream) {
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        qint64 count = 0;
        const char *p = stream.data();
        const char *const end = p + stream.size();
        while (const void *lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
            p = static_cast<const char *>(lf) + 1;
            ++count;
        }
        const double seconds = std::max<qint64>(timer.nsecsElapsed(), 1) / 1e9;
        best = std::max(best, count / seconds);
    }
    return best;
}

// Lines per second of the console's own reply framer over the same bytes in 64 KiB
// slices, handing each line to a sink that only counts it, best of five: the part of
// the path no display can avoid.
double framerLinesPerSecond(const std::string &stream) {
    struct Count final : ReplyLineSink {
        void line(const ReplyLineView &) override { ++lines; }
        qint64 lines = 0;
    };
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        ReplyFramer framer;
        Count count;
        for (std::size_t at = 0; at < stream.size(); at += 64 * 1024) {
            const std::size_t size = std::min<std::size_t>(64 * 1024, stream.size() - at);
            framer.feed(QByteArrayView(stream.data() + at, static_cast<qsizetype>(size)), count);
        }
        const double seconds = std::max<qint64>(timer.nsecsElapsed(), 1) / 1e9;
        best = std::max(best, count.lines / seconds);
    }
    return best;
}

// Whether a grab of the list shows text: enough dark pixels for a few glyphs.
bool showsText(const QImage &image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(line[x]) < 100 && qGreen(line[x]) < 100 && qBlue(line[x]) < 100) {
                ++dark;
            }
        }
    }
    return dark >= 40;
}

// A bare logger on its own thread: accepts one connection and writes the flood.
class FloodLogger {
public:
    explicit FloodLogger(const std::string &stream) : m_stream(stream) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(m_fd, 1);
        socklen_t len = sizeof addr;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~FloodLogger() {
        m_thread.join();
        ::close(m_fd);
    }
    quint16 port() const { return m_port; }

private:
    void run() {
        const int client = ::accept(m_fd, nullptr, nullptr);
        char greeting[6];
        if (::recv(client, greeting, sizeof greeting, MSG_WAITALL) != 6) {
            ::close(client);
            return;
        }
        for (std::size_t at = 0; at < m_stream.size(); at += 16384) {
            const std::size_t size = std::min<std::size_t>(16384, m_stream.size() - at);
            if (::send(client, m_stream.data() + at, size, 0) < 0) {
                break;
            }
        }
        ::shutdown(client, SHUT_WR);
        char sink[64];
        while (::recv(client, sink, sizeof sink, 0) > 0) {
        }
        ::close(client);
    }

    const std::string &m_stream;
    int m_fd;
    quint16 m_port = 0;
    std::thread m_thread;
};

} // namespace

int main(int argc, char **argv) {
    reuseFreedHeapMemory(); // as the console does
    const bool captures = argc > 2 && std::strcmp(argv[2], "--captures") == 0;
    if (!captures) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string stream = floodBytes(lines);
    const double floor = memchrLinesPerSecond(stream);
    const double framerRate = framerLinesPerSecond(stream);
    FloodLogger logger(stream);

    QTemporaryDir dir;
    SteadyClock clock;
    MessageBoxPrompter prompter;
    Console console(prompter, clock, dir.path());
    MainWindow window(console, prompter);
    window.startUp();
    window.show();
    const QListWidget &trace = *window.findChild<QListWidget *>(QStringLiteral("List1"));

    QElapsedTimer loopClock;
    qint64 last = 0;
    qint64 longestGap = 0;
    qint64 lastCpu = 0;
    qint64 longestGapCpu = 0; // the main thread's CPU time during the longest gap
    qint64 longestCpuGap = 0; // the longest gap measured in main-thread CPU time
    qint64 longestGapStart = 0;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, &window, [&] {
        const qint64 now = loopClock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (now - last > longestGap) {
            longestGap = now - last;
            longestGapCpu = cpu - lastCpu;
            longestGapStart = last;
        }
        longestCpuGap = std::max(longestCpuGap, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
    });

    // Grabs of the trace list from the screen while the flood runs.
    int grabs = 0;
    int grabsWithText = 0;
    bool firstLineShown = false;
    QTimer grabber;
    QObject::connect(&grabber, &QTimer::timeout, &window, [&] {
        firstLineShown = firstLineShown || trace.count() > 0;
        if (!firstLineShown) {
            return;
        }
        const QRect area(trace.mapToGlobal(QPoint(0, 0)), trace.viewport()->size());
        const QImage image = window.screen()
                                 ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        ++grabs;
        grabsWithText += showsText(image) ? 1 : 0;
    });

    QElapsedTimer flood;
    // The flood is timed from the greeting, which the logger answers with it.
    QObject::connect(&console.connection(), &Connection::rowConnected, &window,
                     [&] { flood.start(); });
    QTimer::singleShot(0, &window, [&] {
        console.connectTo({1, QStringLiteral("127.0.0.1"), QString::number(logger.port()), false});
        loopClock.start();
        lastCpu = threadCpuNs();
        heartbeat.start();
        if (captures) {
            grabber.start(40);
        }
    });
    // Done when the last line is on screen, or when the link has gone and everything is shown.
    bool closed = false;
    QObject::connect(&console.link(), &Link::closed, &window, [&] { closed = true; });
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &window, [&] {
        const bool complete = trace.count() > 0 && trace.item(trace.count() - 1)->text() == "END";
        // A link gone for ten seconds without the last line means lines were lost.
        if (!complete && !(closed && flood.elapsed() > 10000)) {
            return;
        }
        check.stop();
        grabber.stop();
        const double seconds = flood.nsecsElapsed() / 1e9;
        const double rate = (lines + 1) / seconds;
        std::printf("lines: %d (+END %s)\nseconds: %.3f\nlines per second: %.0f\n"
                    "memchr split of the same bytes, lines per second: %.0f\n"
                    "ratio to the split: %.4f\n"
                    "reply framer alone, lines per second: %.0f (ratio to it: %.3f)\n"
                    "longest event-loop gap: %.1f ms\n"
                    "  from %.1f ms into the flood; main thread on a core for %.1f ms of it\n"
                    "longest gap in main-thread CPU time: %.1f ms\n",
                    lines, complete ? "shown" : "MISSING", seconds, rate, floor, rate / floor,
                    framerRate, rate / framerRate, longestGap / 1e6, longestGapStart / 1e6,
                    longestGapCpu / 1e6, longestCpuGap / 1e6);
        if (captures) {
            std::printf(
                "screen grabs of the list during the flood: %d, showing text: %d (%.0f%%)\n", grabs,
                grabsWithText, grabs ? 100.0 * grabsWithText / grabs : 0.0);
        }
        QApplication::exit(complete ? 0 : 1);
    });
    check.start(5);
    return QApplication::exec();
}

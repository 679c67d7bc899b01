// End to end: a logger floods the console with reply lines over loopback; the
// window (offscreen) shows them. Reports lines per second into the window and
// the longest gap between two turns of the event loop while it happens. On a
// shared machine a gap can be time the thread spent waiting for a core, so
// the main thread's own CPU time over each gap is reported too.
#include "console/connection.h"
#include "console/link.h"
#include "console/ui/mainwindow.h"
#include "loggers/ui/loggergrid.h"
#include "replies/ui/replylist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <arpa/inet.h>
#include <cstdio>
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

// A bare logger on its own thread: accepts one connection and writes the flood.
class FloodLogger {
public:
    explicit FloodLogger(int lines) : m_lines(lines) {
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
        std::string chunk;
        for (int i = 0; i < m_lines; ++i) {
            chunk += (i % 3 == 0) ? "{PARAM_" + std::to_string(i) + ":42}\r\n"
                                  : "12:00:00 AI1=4.21mA line " + std::to_string(i) + "\r\n";
            if (chunk.size() > 16384 || i == m_lines - 1) {
                ::send(client, chunk.data(), chunk.size(), 0);
                chunk.clear();
            }
        }
        ::send(client, "END\r\n", 5, 0);
        ::shutdown(client, SHUT_WR);
        char sink[64];
        while (::recv(client, sink, sizeof sink, 0) > 0) {
        }
        ::close(client);
    }

    int m_lines;
    int m_fd;
    quint16 m_port = 0;
    std::thread m_thread;
};

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    FloodLogger logger(lines);

    QTemporaryDir dir;
    MainWindow window(ConsoleServices{nullptr, nullptr, {}, dir.path()});
    window.startUp();
    window.show();
    window.grid().setCell(1, 1, QStringLiteral("127.0.0.1"));
    window.grid().setCell(1, 2, QString::number(logger.port()));
    window.grid().select(1);

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

    QElapsedTimer flood;
    QTimer::singleShot(0, &window, [&] {
        window.connection().connectTo(
            {1, window.grid().cell(1, 1), window.grid().cell(1, 2), false});
        flood.start();
        loopClock.start();
        lastCpu = threadCpuNs();
        heartbeat.start();
    });
    // Done when the last line is on screen, or when the link has gone and everything is shown.
    bool closed = false;
    QObject::connect(&window.link(), &Link::closed, &window, [&] { closed = true; });
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &window, [&] {
        const QListWidget &trace = window.traceList();
        const bool complete = trace.count() > 0 && trace.item(trace.count() - 1)->text() == "END";
        // A link gone for ten seconds without the last line means lines were lost.
        if (!complete && !(closed && flood.elapsed() > 10000)) {
            return;
        }
        check.stop();
        const double seconds = flood.nsecsElapsed() / 1e9;
        std::printf("lines: %d (+END %s)\nseconds: %.3f\nlines per second: %.0f\n"
                    "longest event-loop gap: %.1f ms\n"
                    "  from %.1f ms into the flood; main thread on a core for %.1f ms of it\n"
                    "longest gap in main-thread CPU time: %.1f ms\n",
                    lines, complete ? "shown" : "MISSING", seconds, (lines + 1) / seconds,
                    longestGap / 1e6, longestGapStart / 1e6, longestGapCpu / 1e6,
                    longestCpuGap / 1e6);
        QApplication::exit(complete ? 0 : 1);
    });
    check.start(5);
    return QApplication::exec();
}

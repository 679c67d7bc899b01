// A flood measured from outside the console. The console runs as its own process (the real
// program, under an X server: run this under xvfb-run), is driven through its window as an
// operator drives it (xdotool: a click on the logger, File > Log > Activate answered Yes,
// Communication > Connect), and a logger inside this program answers the greeting with the
// flood. The end is the console's last busy millisecond: its main thread's CPU time, read from
// /proc, has stopped moving after the socket drained. Nothing inside the console is timed.
//
// In the same run, over the very same bytes: a memchr line split (the floor for any reader of
// lines) and a plain process that reads the socket into /dev/null (the floor for any reader of
// this socket). Rounds are interleaved over the programs and log settings; each row gives the
// median and the range over the rounds, and minor page faults per MB received from
// /proc/PID/stat.
//
//   xvfb-run -a console_flood_bench [--lines N] [--rounds R] [--log off,on] CONSOLE...
//
// Several CONSOLE binaries (e.g. a build before and after a change) are measured side by side.
// The stream: 80% trace lines of 64 bytes, 20% parameter lines "{NAME=value}", CR LF ends.
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void pauseMs(double ms) {
    timespec t{static_cast<time_t>(ms / 1000), static_cast<long>(std::fmod(ms, 1000.0) * 1e6)};
    nanosleep(&t, nullptr);
}

// ---------------------------------------------------------------------------------------------
// The stream and what the session log must hold after it.

struct Flood {
    std::string stream;
    std::string log; // each entry and CR LF, as tav.log must hold them
    long lines = 0;
};

Flood makeFlood(long lines) {
    static const char *const kNames[] = {"SAMPLE_PERIOD", "APN",       "TIME_ZONE", "AI1_SCALE",
                                         "LEVEL",         "SERVER_IP", "PORT",      "ALARM_HI"};
    Flood flood;
    flood.lines = lines;
    flood.stream.reserve(static_cast<std::size_t>(lines) * 56);
    flood.log.reserve(static_cast<std::size_t>(lines) * 54);
    std::uint32_t seed = 20190307;
    char text[96];
    for (long i = 0; i < lines; ++i) {
        seed = seed * 1664525u + 1013904223u;
        if ((seed >> 8) % 10 < 8) {
            // 62 characters and CR LF: a time, a channel reading and a counter.
            std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld AI%u=%07.3fmA DI=%u CNT=%010ld OK ",
                          (i / 3600) % 24, (i / 60) % 60, i % 60, (seed >> 4) % 8 + 1,
                          ((seed >> 12) % 20000) / 1000.0, (seed >> 20) % 2, i);
            std::string entry(text);
            entry.resize(62, '.');
            flood.stream += entry + "\r\n";
            flood.log += entry + "\r\n";
        } else {
            std::snprintf(text, sizeof text, "%s=%u", kNames[(seed >> 4) % 8],
                          (seed >> 12) % 100000);
            flood.stream += std::string("{") + text + "}\r\n";
            flood.log += std::string(text) + "\r\n";
        }
    }
    return flood;
}

// Seconds for a memchr line split of the stream: median of five.
double memchrSeconds(const std::string &stream, long expectedLines) {
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        const double start = nowMs();
        long count = 0;
        const char *p = stream.data();
        const char *const end = p + stream.size();
        while (const void *lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
            p = static_cast<const char *>(lf) + 1;
            ++count;
        }
        times.push_back((nowMs() - start) / 1e3);
        if (count != expectedLines) {
            std::fprintf(stderr, "memchr split counted %ld lines\n", count);
        }
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// ---------------------------------------------------------------------------------------------
// What /proc says about a process.

// Minor page faults of the whole process (field 10 of /proc/PID/stat).
long minorFaults(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    FILE *file = std::fopen(path, "r");
    if (!file) {
        return -1;
    }
    char buffer[1024];
    const std::size_t size = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    buffer[size] = '\0';
    // The name in parentheses may hold blanks: count fields from the last ')'.
    const char *p = std::strrchr(buffer, ')');
    if (!p) {
        return -1;
    }
    long value = -1;
    // After ")": state(3) ppid(4) pgrp(5) session(6) tty(7) tpgid(8) flags(9) minflt(10).
    std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %ld", &value);
    return value;
}

// The main thread's CPU time in nanoseconds, from an open /proc/PID/task/PID/schedstat.
long long cpuNs(int schedstatFd) {
    char buffer[128];
    const ssize_t size = pread(schedstatFd, buffer, sizeof buffer - 1, 0);
    if (size <= 0) {
        return -1;
    }
    buffer[size] = '\0';
    return std::atoll(buffer);
}

long long mainThreadCpuNs(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/task/%d/schedstat", pid, pid);
    const int fd = open(path, O_RDONLY);
    if (fd < 0) {
        return 0;
    }
    const long long ns = cpuNs(fd);
    close(fd);
    return ns;
}

// ---------------------------------------------------------------------------------------------
// The logger: one listening socket; each connection gets the greeting's answer, the flood.

class FloodLogger {
public:
    explicit FloodLogger(const std::string &stream) : m_stream(stream) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
            ::listen(m_listener, 4) != 0) {
            std::perror("listen");
            std::exit(1);
        }
        socklen_t len = sizeof addr;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
    }
    ~FloodLogger() { ::close(m_listener); }
    int port() const { return m_port; }

    // Starts serving one connection on a thread of its own.
    void serveOne(pid_t watched) {
        m_watched = watched;
        m_greetedMs = 0;
        m_drainedMs = 0;
        m_faultsAtGreeting = -1;
        m_connected = false;
        m_thread = std::thread([this] { serve(); });
    }
    // Waits until the connection has ended (the peer closed it). A console that never
    // connected is stood in for by a connection that closes at once, so the thread ends.
    void join() {
        if (!m_thread.joinable()) {
            return;
        }
        if (!m_connected) {
            const int wake = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            addr.sin_port = htons(static_cast<uint16_t>(m_port));
            ::connect(wake, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
            ::close(wake);
        }
        m_thread.join();
    }
    bool connected() const { return m_connected; }
    double greetedMs() const { return m_greetedMs; }
    double drainedMs() const { return m_drainedMs; }
    long faultsAtGreeting() const { return m_faultsAtGreeting; }
    long long cpuAtGreetingNs() const { return m_cpuAtGreetingNs; }

private:
    void serve() {
        const int client = ::accept(m_listener, nullptr, nullptr);
        m_connected = true;
        char greeting[6];
        if (::recv(client, greeting, sizeof greeting, MSG_WAITALL) != 6) {
            ::close(client);
            return;
        }
        m_faultsAtGreeting = minorFaults(m_watched);
        m_cpuAtGreetingNs = mainThreadCpuNs(m_watched);
        m_greetedMs = nowMs();
        const char *p = m_stream.data();
        std::size_t left = m_stream.size();
        while (left > 0) {
            const ssize_t sent = ::send(client, p, std::min<std::size_t>(left, 256 * 1024), 0);
            if (sent <= 0) {
                break;
            }
            p += sent;
            left -= static_cast<std::size_t>(sent);
        }
        // Drained: the console's side has taken (acknowledged) every byte.
        for (int unsent = 1; unsent > 0;) {
            if (ioctl(client, SIOCOUTQ, &unsent) != 0) {
                break;
            }
            if (unsent > 0) {
                pauseMs(0.2);
            }
        }
        m_drainedMs = nowMs();
        ::shutdown(client, SHUT_WR);
        char sink[256];
        while (::recv(client, sink, sizeof sink, 0) > 0) {
        }
        ::close(client);
    }

    const std::string &m_stream;
    int m_listener = -1;
    int m_port = 0;
    pid_t m_watched = 0;
    std::thread m_thread;
    std::atomic<bool> m_connected{false};
    std::atomic<double> m_greetedMs{0};
    std::atomic<double> m_drainedMs{0};
    std::atomic<long> m_faultsAtGreeting{-1};
    std::atomic<long long> m_cpuAtGreetingNs{0};
};

// ---------------------------------------------------------------------------------------------
// Processes.

std::string run(const std::string &command) {
    std::string out;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return out;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        out += buffer;
    }
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

pid_t startConsole(const std::string &program, const std::string &dir) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) {
            _exit(126);
        }
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        unsetenv("QT_QPA_PLATFORM");
        execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    return pid;
}

// The plain reader: connects, greets, and reads the stream into /dev/null.
pid_t startReader(int port, std::size_t bytes) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
            ::send(fd, "TAV@01", 6, 0) != 6) {
            _exit(1);
        }
        const int null = open("/dev/null", O_WRONLY);
        static char buffer[64 * 1024];
        std::size_t total = 0;
        while (total < bytes) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                _exit(2);
            }
            total += static_cast<std::size_t>(got);
            if (::write(null, buffer, static_cast<std::size_t>(got)) != got) {
                _exit(3);
            }
        }
        _exit(0);
    }
    return pid;
}

void stopConsole(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 1000; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        pauseMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Waits until the process's main thread has been still for a while: its start-up (first paint,
// fonts) or the log's question box must not run into the flood.
void waitUntilIdle(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/task/%d/schedstat", pid, pid);
    const int fd = open(path, O_RDONLY);
    if (fd < 0) {
        return;
    }
    long long last = cpuNs(fd);
    double still = nowMs();
    for (const double start = nowMs(); nowMs() - still < 300 && nowMs() - start < 10000;) {
        pauseMs(5);
        const long long cpu = cpuNs(fd);
        if (cpu - last > 200000) {
            last = cpu;
            still = nowMs();
        }
    }
    close(fd);
}

// Drives the console's window as an operator would: the logger, optionally the log, Connect.
bool driveWindow(pid_t pid, const std::string &dir, bool logOn, const FloodLogger &logger) {
    const std::string window =
        run("timeout 20 xdotool search --sync --onlyvisible --pid " + std::to_string(pid) +
            " --name '^Mirvane$' 2>/dev/null | head -n 1");
    if (window.empty()) {
        std::fprintf(stderr, "the console's window did not show\n");
        return false;
    }
    // The first logger's identifier in the grid, then the menus by keyboard.
    run("xdotool mousemove --window " + window + " 580 117 click 1");
    if (logOn) {
        run("xdotool mousemove --window " + window + " 20 8 click 1 key Down Right Return");
        const std::string question =
            run("timeout 10 xdotool search --sync --onlyvisible --name '^Warning$' 2>/dev/null"
                " | head -n 1");
        if (question.empty()) {
            std::fprintf(stderr, "the log's question did not show\n");
            return false;
        }
        run("xdotool windowfocus --sync " + question + "; xdotool key y");
        struct stat info {};
        for (int i = 0; i < 500 && ::stat((dir + "/tav.log").c_str(), &info) != 0; ++i) {
            pauseMs(10);
        }
        if (::stat((dir + "/tav.log").c_str(), &info) != 0) {
            std::fprintf(stderr, "the log was not activated\n");
            return false;
        }
    }
    waitUntilIdle(pid);
    run("xdotool mousemove --window " + window + " 20 8 click 1 key Down Down Right Return");
    for (int i = 0; i < 1000 && !logger.connected(); ++i) {
        pauseMs(10);
    }
    if (!logger.connected()) {
        std::fprintf(stderr, "the console did not connect\n");
        return false;
    }
    return true;
}

std::string readFile(const std::string &path) {
    std::string bytes;
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return bytes;
    }
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    std::fclose(file);
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// One measurement.

struct Result {
    double seconds = 0;
    double cpuSeconds = 0; // the console's main thread on a core, greeting to end
    double faultsPerMB = 0;
    bool ok = false;
};

// Samples the main thread's CPU time every half millisecond from the greeting on; the end is
// the last sample at which it had moved, once the socket has drained and it has been still for
// a while (or the process exited).
double lastBusyMs(pid_t pid, const FloodLogger &logger, bool &exited) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/task/%d/schedstat", pid, pid);
    const int fd = open(path, O_RDONLY);
    constexpr double kStillMs = 400;       // no movement for this long after the drain: done
    constexpr long long kMovedNs = 200000; // less than this between samples is idle noise
    long long lastCpu = fd >= 0 ? cpuNs(fd) : -1;
    double lastMoved = nowMs();
    exited = false;
    for (;;) {
        pauseMs(0.5);
        const double now = nowMs();
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            exited = true;
            lastMoved = now;
            break;
        }
        const long long cpu = fd >= 0 ? cpuNs(fd) : -1;
        if (cpu - lastCpu >= kMovedNs) {
            lastMoved = now;
            lastCpu = cpu;
        }
        if (logger.drainedMs() > 0 && now - std::max(lastMoved, logger.drainedMs()) > kStillMs) {
            break;
        }
    }
    if (fd >= 0) {
        close(fd);
    }
    return lastMoved;
}

Result measureConsole(const std::string &program, bool logOn, FloodLogger &logger,
                      const Flood &flood) {
    Result result;
    char dirTemplate[] = "/tmp/console_flood_XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const std::string loggers = "LOGGER:Bench,127.0.0.1," + std::to_string(logger.port()) + "\r\n";
    FILE *file = std::fopen((dir + "/loggers.txt").c_str(), "wb");
    std::fwrite(loggers.data(), 1, loggers.size(), file);
    std::fclose(file);

    const pid_t pid = startConsole(program, dir);
    logger.serveOne(pid);
    if (driveWindow(pid, dir, logOn, logger)) {
        while (logger.greetedMs() == 0) {
            pauseMs(0.2);
        }
        bool exited = false;
        const double end = lastBusyMs(pid, logger, exited);
        const long faults = exited ? -1 : minorFaults(pid);
        result.cpuSeconds = (mainThreadCpuNs(pid) - logger.cpuAtGreetingNs()) / 1e9;
        result.seconds = (end - logger.greetedMs()) / 1e3;
        result.faultsPerMB = (faults - logger.faultsAtGreeting()) / (flood.stream.size() / 1e6);
        result.ok = !exited;
        if (exited) {
            std::fprintf(stderr, "the console ended during the flood\n");
        }
    }
    stopConsole(pid);
    logger.join();
    if (logOn && result.ok) {
        // The log holds every entry, byte for byte (far below the size limit at 180,000 lines).
        const std::string logged = readFile(dir + "/tav.log");
        if (flood.log.size() <= 10'000'000 + 2 * static_cast<std::size_t>(flood.lines) &&
            logged != flood.log) {
            std::fprintf(stderr, "tav.log differs from the stream (%zu of %zu bytes)\n",
                         logged.size(), flood.log.size());
            result.ok = false;
        }
    }
    run("rm -rf '" + dir + "'");
    return result;
}

Result measureReader(FloodLogger &logger, const Flood &flood) {
    Result result;
    const pid_t pid = startReader(logger.port(), flood.stream.size());
    logger.serveOne(pid);
    int status = 0;
    while (logger.greetedMs() == 0) {
        pauseMs(0.05);
    }
    while (waitpid(pid, &status, WNOHANG) != pid) {
        pauseMs(0.05);
    }
    result.seconds = (nowMs() - logger.greetedMs()) / 1e3;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    logger.join();
    return result;
}

// ---------------------------------------------------------------------------------------------
// Figures.

struct Series {
    std::string label;
    std::vector<double> values;
};

void printSeries(const char *what, const Series &series, const char *format) {
    std::vector<double> v = series.values;
    if (v.empty()) {
        return;
    }
    std::sort(v.begin(), v.end());
    const double median =
        v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    char m[32], lo[32], hi[32];
    std::snprintf(m, sizeof m, format, median);
    std::snprintf(lo, sizeof lo, format, v.front());
    std::snprintf(hi, sizeof hi, format, v.back());
    std::printf("  %-34s %-28s median %10s  range %s - %s\n", series.label.c_str(), what, m, lo,
                hi);
}

std::string loadAverage() {
    return run("cut -d' ' -f1-3 /proc/loadavg");
}

} // namespace

int main(int argc, char **argv) {
    long lines = 180000;
    int rounds = 5;
    std::vector<bool> logSettings = {false, true};
    std::vector<std::string> consoles;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lines" && i + 1 < argc) {
            lines = std::atol(argv[++i]);
        } else if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (arg == "--log" && i + 1 < argc) {
            const std::string value = argv[++i];
            logSettings.clear();
            if (value.find("off") != std::string::npos) {
                logSettings.push_back(false);
            }
            if (value.find("on") != std::string::npos) {
                logSettings.push_back(true);
            }
        } else {
            // Each console runs in a folder of its own, so a relative path would name nothing.
            char *absolute = ::realpath(arg.c_str(), nullptr);
            if (absolute == nullptr || ::access(absolute, X_OK) != 0) {
                std::fprintf(stderr, "%s: not an executable console\n", arg.c_str());
                return 2;
            }
            consoles.emplace_back(absolute);
            std::free(absolute);
        }
    }
    if (consoles.empty() || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage: xvfb-run -a console_flood_bench [--lines N] [--rounds R] "
                             "[--log off,on] CONSOLE...\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    const Flood flood = makeFlood(lines);
    FloodLogger logger(flood.stream);
    std::printf("flood: %ld lines, %zu bytes (80%% 64-byte trace lines, 20%% {NAME=value})\n",
                lines, flood.stream.size());
    std::printf("machine: %u cores, load average %s at the start\n",
                std::thread::hardware_concurrency(), loadAverage().c_str());

    // series[c][log]: seconds and faults per MB; the floors once per round.
    struct PerConsole {
        Series seconds[2], cpu[2], faults[2], ratioMemchr[2], ratioReader[2], logRatio;
    };
    std::vector<PerConsole> results(consoles.size());
    Series memchrSeries{"memchr split", {}};
    Series readerSeries{"socket read to /dev/null", {}};
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        const double split = memchrSeconds(flood.stream, lines);
        memchrSeries.values.push_back(split);
        const Result reader = measureReader(logger, flood);
        failures += reader.ok ? 0 : 1;
        readerSeries.values.push_back(reader.seconds);
        std::printf("round %d (load %s): memchr %.4f s, /dev/null reader %.4f s\n", round + 1,
                    loadAverage().c_str(), split, reader.seconds);
        for (std::size_t c = 0; c < consoles.size(); ++c) {
            // Alternate which setting goes first, so neither always meets a warmer machine.
            double seconds[2] = {0, 0};
            for (std::size_t k = 0; k < logSettings.size(); ++k) {
                const bool logOn = logSettings[(k + round) % logSettings.size()];
                const Result r = measureConsole(consoles[c], logOn, logger, flood);
                if (!r.ok) {
                    ++failures;
                    continue;
                }
                PerConsole &p = results[c];
                p.seconds[logOn].values.push_back(r.seconds);
                p.cpu[logOn].values.push_back(r.cpuSeconds);
                p.faults[logOn].values.push_back(r.faultsPerMB);
                p.ratioMemchr[logOn].values.push_back(split / r.seconds);
                p.ratioReader[logOn].values.push_back(reader.seconds / r.seconds);
                seconds[logOn] = r.seconds;
                std::printf("  %-40s log %-3s %.4f s (main thread on a core %.4f s), %.0f "
                            "lines/s, %.1f minor faults/MB\n",
                            consoles[c].c_str(), logOn ? "on" : "off", r.seconds, r.cpuSeconds,
                            lines / r.seconds, r.faultsPerMB);
            }
            if (seconds[0] > 0 && seconds[1] > 0) {
                results[c].logRatio.values.push_back(seconds[0] / seconds[1]);
            }
        }
        std::fflush(stdout);
    }

    std::printf("\nmedians and ranges over %d rounds (load average %s at the end)\n", rounds,
                loadAverage().c_str());
    printSeries("seconds", memchrSeries, "%.4f");
    printSeries("seconds", readerSeries, "%.4f");
    for (std::size_t c = 0; c < consoles.size(); ++c) {
        PerConsole &p = results[c];
        for (const bool logOn : {false, true}) {
            const std::string label = consoles[c] + (logOn ? " log on" : " log off");
            for (Series *s : {&p.seconds[logOn], &p.cpu[logOn], &p.faults[logOn],
                              &p.ratioMemchr[logOn], &p.ratioReader[logOn]}) {
                s->label = label;
            }
            printSeries("seconds", p.seconds[logOn], "%.4f");
            printSeries("main thread CPU seconds", p.cpu[logOn], "%.4f");
            printSeries("speed / memchr split", p.ratioMemchr[logOn], "%.4f");
            printSeries("speed / socket read", p.ratioReader[logOn], "%.3f");
            printSeries("minor faults per MB", p.faults[logOn], "%.1f");
        }
        p.logRatio.label = consoles[c];
        printSeries("speed log on / log off", p.logRatio, "%.3f");
    }
    if (failures > 0) {
        std::printf("%d measurement(s) failed\n", failures);
    }
    return failures > 0 ? 1 : 0;
}

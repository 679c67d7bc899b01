// Start-up time and peak memory of a program against a baseline program, each
// started N times, interleaved, under Qt's offscreen platform with
// MIRVANE_EXIT_AFTER_SHOW set: both end on the event-loop turn after their
// window's first paint. Time is from just before fork() to the child's exit
// as seen by wait4(); memory is the child's maximum resident set size.
//
// Usage: startup_bench BASELINE PROGRAM [RUNS]
// Both run in a fresh folder whose loggers.txt holds an FTP account and 39
// loggers (CR LF), so PROGRAM reads and shows a full grid.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct Sample {
    double wallMs;
    double cpuMs;
    long maxRssKiB;
};

struct Program {
    std::string label;
    std::string path;
    std::vector<Sample> samples;
};

// A start that never reaches its first paint (or a binary built without the
// exit hook) would block the whole run: such a child is killed after this long.
constexpr unsigned kTimeoutSeconds = 60;

void onAlarm(int) {}

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool writeLoggerList(const std::string &dir) {
    std::string text = "FTPSERVER:tavupdate,tav2019,ftp.example.net\r\n";
    for (int n = 1; n <= 39; ++n) {
        text += "LOGGER:Site " + std::to_string(n) + " weir,192.0.2." + std::to_string(n) + "," +
                std::to_string(4001 + n % 4) + "\r\n";
    }
    const std::string path = dir + "/loggers.txt";
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

// One start of the program in dir; false when it could not start or failed.
bool runOnce(const std::string &path, const std::string &dir, Sample &sample) {
    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) {
            _exit(126);
        }
        // Qt's offscreen plugin chats about unsupported window features; keep the table clean.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("MIRVANE_EXIT_AFTER_SHOW", "1", 1);
        execl(path.c_str(), path.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    alarm(kTimeoutSeconds);
    const pid_t waited = wait4(pid, &status, 0, &usage);
    alarm(0);
    if (waited != pid) {
        std::fprintf(stderr, "%s: no exit after %u s (is MIRVANE_EXIT_AFTER_SHOW handled?)\n",
                     path.c_str(), kTimeoutSeconds);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return false;
    }
    sample.wallMs = nowMs() - start;
    sample.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    sample.maxRssKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Summary {
    double wall, wallMin, wallMax, cpu, rss;
};

Summary summarise(const Program &program) {
    std::vector<double> wall, cpu, rss;
    for (const Sample &s : program.samples) {
        wall.push_back(s.wallMs);
        cpu.push_back(s.cpuMs);
        rss.push_back(static_cast<double>(s.maxRssKiB));
    }
    return {median(wall), *std::min_element(wall.begin(), wall.end()),
            *std::max_element(wall.begin(), wall.end()), median(cpu), median(rss)};
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BASELINE PROGRAM [RUNS]\n", argv[0]);
        return 2;
    }
    // No SA_RESTART: the alarm must interrupt wait4().
    struct sigaction alarmAction {};
    alarmAction.sa_handler = onAlarm;
    sigaction(SIGALRM, &alarmAction, nullptr);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
    std::vector<Program> programs = {{"baseline", {}, {}}, {"program", {}, {}}};
    // Absolute paths: the children start in another folder.
    for (int i = 0; i < 2; ++i) {
        char *absolute = realpath(argv[i + 1], nullptr);
        if (!absolute) {
            std::fprintf(stderr, "%s: %s\n", argv[i + 1], std::strerror(errno));
            return 1;
        }
        programs[i].path = absolute;
        std::free(absolute);
    }

    char dirTemplate[] = "/tmp/mirvane-startup-XXXXXX";
    const char *dir = mkdtemp(dirTemplate);
    if (!dir || !writeLoggerList(dir)) {
        std::fprintf(stderr, "cannot prepare a folder with loggers.txt: %s\n",
                     std::strerror(errno));
        return 1;
    }

    // One unmeasured start each: libraries and fonts into the page cache.
    for (Program &program : programs) {
        Sample ignored{};
        if (!runOnce(program.path, dir, ignored)) {
            std::fprintf(stderr, "%s did not start and exit cleanly\n", program.path.c_str());
            return 1;
        }
    }
    // Interleaved, alternating which goes first, so drift in machine load hits both alike.
    for (int i = 0; i < runs; ++i) {
        for (int k = 0; k < 2; ++k) {
            Program &program = programs[(i + k) % 2];
            Sample sample{};
            if (!runOnce(program.path, dir, sample)) {
                std::fprintf(stderr, "%s failed on run %d\n", program.path.c_str(), i + 1);
                return 1;
            }
            program.samples.push_back(sample);
        }
    }
    std::remove((std::string(dir) + "/loggers.txt").c_str());
    rmdir(dir);

    const Summary base = summarise(programs[0]);
    const Summary prog = summarise(programs[1]);
    std::printf("%d runs each, interleaved, offscreen; medians (min..max for time)\n", runs);
    for (const auto &[program, s] :
         {std::pair{&programs[0], base}, std::pair{&programs[1], prog}}) {
        std::printf("%-8s start-up %7.1f ms (%.1f..%.1f)  cpu %7.1f ms  max RSS %7.0f KiB  %s\n",
                    program->label.c_str(), s.wall, s.wallMin, s.wallMax, s.cpu, s.rss,
                    program->path.c_str());
    }
    const double timeRatio = prog.wall / base.wall;
    const double cpuRatio = prog.cpu / base.cpu;
    const double rssRatio = prog.rss / base.rss;
    std::printf("start-up ratio %.2fx (goal <= 1.30x: %s)\n", timeRatio,
                timeRatio <= 1.3 ? "met" : "MISSED");
    std::printf("cpu time ratio %.2fx\n", cpuRatio);
    std::printf("max RSS ratio  %.2fx (goal <= 1.30x: %s)\n", rssRatio,
                rssRatio <= 1.3 ? "met" : "MISSED");
    return 0;
}

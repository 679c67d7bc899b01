// Logger list reader against two baselines over the same bytes, in the same run:
// a memchr line count with a comma split of each line (the least a reader of
// this format must do), and a plain copy of the bytes (what loading the file
// into memory costs anyway).
#include "loggers/loggerlist.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <string>

namespace {

enum class Input { Loggers39, Lines100k, TwoMegEntries, TwoMegNoSeparators };

QByteArray loggerLine(int n) {
    return "LOGGER:Site " + QByteArray::number(n) + " weir,192.0.2." + QByteArray::number(n) + "," +
           QByteArray::number(4001 + n % 4) + "\r\n";
}

// The usual file: FTP account first, a full grid of 39 loggers, CR LF ends.
QByteArray loggers39() {
    QByteArray out = "FTPSERVER:tavupdate,tav2019,ftp.example.net\r\n";
    for (int n = 1; n <= 39; ++n) {
        out += loggerLine(n);
    }
    return out;
}

// 100,000 lines: a long pasted readings log without keywords (read and ignored,
// so every byte is walked), then the FTP account and the 39 loggers.
QByteArray lines100k() {
    QByteArray out;
    const int notes = 100000 - 40;
    for (int n = 0; n < notes; ++n) {
        out += "2019-03-07 13:25:" + QByteArray::number(n % 60) + ", site " +
               QByteArray::number(n % 39 + 1) + ", AI1=4.37mA, AI2=12.53mA\r\n";
    }
    return out + loggers39();
}

// 2 MB in one line: logger entries whose line ends were lost, so every entry
// is a field of the first line.
QByteArray twoMegEntries() {
    QByteArray out;
    for (int n = 1; out.size() < (2 << 20); ++n) {
        out += loggerLine(n % 39 + 1).chopped(2);
    }
    return out.left(2 << 20);
}

// 2 MB in one field: no line end and no separator at all.
QByteArray twoMegNoSeparators() {
    QByteArray out;
    out.reserve(2 << 20);
    for (int n = 0; out.size() < (2 << 20); ++n) {
        out += static_cast<char>('A' + n % 26);
    }
    return out;
}

const QByteArray &bytesOf(Input input) {
    static const QByteArray inputs[] = {loggers39(), lines100k(), twoMegEntries(),
                                        twoMegNoSeparators()};
    return inputs[static_cast<int>(input)];
}

void Parse(benchmark::State &state, Input input) {
    const QByteArray &bytes = bytesOf(input);
    std::size_t rows = 0;
    for (auto _ : state) {
        const LoggerList list = parseLoggerList(bytes);
        rows += list.rows.size();
        benchmark::DoNotOptimize(list.rows.data());
    }
    benchmark::DoNotOptimize(rows);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

// Baseline: count lines with memchr and the comma-separated fields of each line.
void MemchrSplit(benchmark::State &state, Input input) {
    const QByteArray &bytes = bytesOf(input);
    std::size_t lines = 0;
    std::size_t fields = 0;
    for (auto _ : state) {
        const char *p = bytes.constData();
        const char *const end = p + bytes.size();
        while (p < end) {
            const char *lf = static_cast<const char *>(std::memchr(p, '\n', end - p));
            const char *const lineEnd = lf ? lf : end;
            ++lines;
            for (const char *f = p; f < lineEnd; ++fields) {
                const char *comma = static_cast<const char *>(std::memchr(f, ',', lineEnd - f));
                f = comma ? comma + 1 : lineEnd;
            }
            p = lineEnd + 1;
        }
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(fields);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

// Baseline: an owned copy of the bytes, as the file load makes.
void Copy(benchmark::State &state, Input input) {
    const QByteArray &bytes = bytesOf(input);
    for (auto _ : state) {
        QByteArray copy(bytes.constData(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

#define LIST_CASES(fn)                                                                             \
    BENCHMARK_CAPTURE(fn, loggers39, Input::Loggers39)->Unit(benchmark::kMicrosecond);             \
    BENCHMARK_CAPTURE(fn, lines100k, Input::Lines100k)->Unit(benchmark::kMicrosecond);             \
    BENCHMARK_CAPTURE(fn, twoMegEntries, Input::TwoMegEntries)->Unit(benchmark::kMicrosecond);     \
    BENCHMARK_CAPTURE(fn, twoMegNoSeparators, Input::TwoMegNoSeparators)                           \
        ->Unit(benchmark::kMicrosecond)

LIST_CASES(Copy);
LIST_CASES(MemchrSplit);
LIST_CASES(Parse);

} // namespace

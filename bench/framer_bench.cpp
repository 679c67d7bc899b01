// Reply framer throughput against the simplest possible line split of the
// same bytes (memchr for each line feed), on a realistic mixed reply stream.
#include "replies/replyframer.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>

namespace {

// A logger's chatter: trace lines, parameter listings in braces, CR LF ends,
// cut into arrivals of typical TCP sizes.
QByteArray mixedStream(std::size_t bytes) {
    std::mt19937 random(7);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(bytes) + 256);
    int n = 0;
    while (static_cast<std::size_t>(out.size()) < bytes) {
        switch (random() % 4) {
        case 0:
            out += "12:00:" + QByteArray::number(n % 60) + " AI1=4.21mA AI2=12.00mA DI=0101\r\n";
            break;
        case 1:
            out += "{PARAM_" + QByteArray::number(n) + ":" + QByteArray::number(random()) + "}\r\n";
            break;
        case 2:
            out += "{Version TAV-3 firmware 4.2.1}\r\nGPRS signal -71 dBm, registered\r\n";
            break;
        default:
            out += "{Device " + QByteArray::number(n % 32) + " answered: OK}\r\n";
            break;
        }
        ++n;
    }
    return out;
}

const QByteArray &stream() {
    static const QByteArray s = mixedStream(4 << 20);
    return s;
}

constexpr qsizetype kArrival = 1460 * 4;

void Framer(benchmark::State &state) {
    const QByteArray &bytes = stream();
    ReplyFramer framer;
    std::vector<ReplyLine> lines;
    std::size_t count = 0;
    for (auto _ : state) {
        for (qsizetype at = 0; at < bytes.size(); at += kArrival) {
            lines.clear();
            framer.feed(
                QByteArrayView(bytes.constData() + at, std::min(kArrival, bytes.size() - at)),
                lines);
            count += lines.size();
        }
    }
    benchmark::DoNotOptimize(count);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

// Baseline: cut the same arrivals at line feeds into owned lines, nothing else.
void MemchrSplit(benchmark::State &state) {
    const QByteArray &bytes = stream();
    std::vector<QByteArray> lines;
    QByteArray pending;
    std::size_t count = 0;
    for (auto _ : state) {
        for (qsizetype at = 0; at < bytes.size(); at += kArrival) {
            lines.clear();
            const char *p = bytes.constData() + at;
            const char *end = p + std::min(kArrival, bytes.size() - at);
            while (p < end) {
                const char *lf = static_cast<const char *>(std::memchr(p, '\n', end - p));
                if (!lf) {
                    pending.append(p, end - p);
                    break;
                }
                pending.append(p, lf - p);
                lines.push_back(pending);
                pending.clear();
                p = lf + 1;
            }
            count += lines.size();
        }
    }
    benchmark::DoNotOptimize(count);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

BENCHMARK(MemchrSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(Framer)->Unit(benchmark::kMillisecond);

} // namespace

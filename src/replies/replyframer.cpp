#include "replies/replyframer.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool isSpecial(char c) {
    return c == '{' || c == '}' || c == '\n' || c == '\r';
}

#if defined(__SSE2__)

// The first '{', '}', LF or CR in [p, end), or end. Tests sixteen bytes per step: most reply
// text is plain, and a byte-at-a-time loop would dominate the cost of a chatty logger.
const char *findSpecial(const char *p, const char *end) {
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, open), _mm_cmpeq_epi8(block, close)),
                         _mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) {
            return p + std::countr_zero(static_cast<unsigned>(mask));
        }
        p += 16;
    }
    while (p != end && !isSpecial(*p)) {
        ++p;
    }
    return p;
}

#else

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// High bit set in each byte of word that equals c. Only the lowest flag is exact (a borrow can
// raise false flags above a true match), which is all the scan below looks at.
constexpr std::uint64_t matches(std::uint64_t word, unsigned char c) {
    const std::uint64_t x = word ^ (kOnes * c);
    return (x - kOnes) & ~x & kHighBits;
}

// The first '{', '}', LF or CR in [p, end), or end; eight bytes per step where the byte order
// allows it.
const char *findSpecial(const char *p, const char *end) {
    if constexpr (std::endian::native == std::endian::little) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            const std::uint64_t hits =
                matches(word, '{') | matches(word, '}') | matches(word, '\n') | matches(word, '\r');
            if (hits != 0) {
                return p + std::countr_zero(hits) / 8;
            }
            p += 8;
        }
    }
    while (p != end && !isSpecial(*p)) {
        ++p;
    }
    return p;
}

#endif

} // namespace

ReplyFramer::ReplyFramer(qsizetype maxEntryBytes)
    : m_maxEntryBytes(maxEntryBytes < 1 ? 1 : maxEntryBytes) {}

void ReplyFramer::Text::settle() {
    if (!run.isEmpty()) {
        pending.append(run.data(), run.size());
        run = {};
    }
}

void ReplyFramer::Text::clear() {
    if (!pending.isEmpty()) {
        pending.truncate(0); // keeps its capacity for the next line
    }
    run = {};
}

void ReplyFramer::feed(QByteArrayView bytes, std::vector<ReplyLine> &out) {
    struct Collect final : ReplyLineSink {
        explicit Collect(std::vector<ReplyLine> &lines) : lines(lines) {}
        void line(const ReplyLineView &line) override {
            lines.push_back(ReplyLine{line.trace.toByteArray(), line.operation.toByteArray(),
                                      line.operationCut});
        }
        std::vector<ReplyLine> &lines;
    } collect(out);
    feed(bytes, collect);
}

void ReplyFramer::feed(QByteArrayView bytes, ReplyLineSink &sink) {
    if (bytes.isEmpty()) {
        return;
    }
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    while (p != end) {
        const char *special = findSpecial(p, end);
        if (special != p) {
            append(p, special - p, sink);
        }
        if (special == end) {
            break;
        }
        switch (*special) {
        case '{':
            m_inOperation = true;
            break;
        case '}':
            m_inOperation = false;
            break;
        case '\n':
            emitLine(sink);
            break;
        default: // CR: dropped
            break;
        }
        p = special + 1;
    }
    // The unfinished line outlives the input: it is copied now.
    m_trace.settle();
    m_operation.settle();
}

void ReplyFramer::append(const char *text, qsizetype size, ReplyLineSink &sink) {
    Text &pending = m_inOperation ? m_operation : m_trace;
    if (pending.size() + size < m_maxEntryBytes) {
        if (pending.size() == 0) {
            pending.run = QByteArrayView(text, size); // the common case: no copy at all
        } else {
            pending.settle();
            pending.pending.append(text, size);
        }
        return;
    }
    // Checked once per run of plain bytes, not per byte, so the scan keeps its speed.
    pending.settle();
    while (pending.pending.size() + size >= m_maxEntryBytes) {
        const qsizetype fits = m_maxEntryBytes - pending.pending.size();
        pending.pending.append(text, fits);
        text += fits;
        size -= fits;
        if (m_inOperation) {
            sink.line(ReplyLineView{{}, pending.pending, true});
            m_operationCut = true;
        } else {
            sink.line(ReplyLineView{pending.pending, {}, false});
        }
        pending.clear();
    }
    if (size != 0) {
        pending.pending.append(text, size);
    }
}

void ReplyFramer::emitLine(ReplyLineSink &sink) {
    const bool cut = std::exchange(m_operationCut, false) && m_operation.size() != 0;
    if (m_trace.size() == 0 && m_operation.size() == 0) {
        return;
    }
    sink.line(ReplyLineView{m_trace.view(), m_operation.view(), cut});
    m_trace.clear();
    m_operation.clear();
}

ReplyLine ReplyFramer::takeRemainder() {
    const bool cut = std::exchange(m_operationCut, false) && m_operation.size() != 0;
    m_trace.settle();
    m_operation.settle();
    return ReplyLine{std::exchange(m_trace.pending, {}), std::exchange(m_operation.pending, {}),
                     cut};
}

bool ReplyFramer::hasPending() const {
    return m_trace.size() != 0 || m_operation.size() != 0;
}

bool ReplyFramer::inOperation() const {
    return m_inOperation;
}

void ReplyFramer::reset() {
    m_trace = {};
    m_operation = {};
    m_inOperation = false;
    m_operationCut = false;
}

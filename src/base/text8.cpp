#include "base/text8.h"

#include <array>

namespace {

// Unicode code points of the bytes 0x80..0x9F in Windows-1252. The undefined
// bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t decode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kHigh[byte - 0x80];
    }
    return byte;
}

std::optional<char> encode(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        return static_cast<char>(ch);
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == ch) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

} // namespace

namespace text8 {

QString toDisplay(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        dst[i] = QChar(decode(static_cast<unsigned char>(bytes[i])));
    }
    return out;
}

Encoded fromDisplay(const QString &text) {
    Encoded result;
    result.bytes.reserve(text.size());
    for (QChar ch : text) {
        const auto byte = encode(ch.unicode());
        if (!byte) {
            result.bytes.clear();
            result.unmappable = ch;
            return result;
        }
        result.bytes.append(*byte);
    }
    return result;
}

} // namespace text8

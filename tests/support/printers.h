#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Readable failure output: strings as text, with control characters escaped,
// instead of GoogleTest's dump of their bytes.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"';
    for (const QChar ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7f) {
            static const char digits[] = "0123456789abcdef";
            *out << "\\x" << digits[ch.unicode() >> 4] << digits[ch.unicode() & 15];
        } else {
            *out << QString(ch).toStdString();
        }
    }
    *out << '"';
}

inline void PrintTo(const QByteArray &bytes, std::ostream *out) {
    *out << '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f || u == '\\') {
            static const char digits[] = "0123456789abcdef";
            *out << "\\x" << digits[u >> 4] << digits[u & 15];
        } else {
            *out << c;
        }
    }
    *out << '"';
}

#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

// What the fuzz targets share: a check that survives release builds (assert and
// Q_ASSERT are compiled out there) and prints readable bytes before it aborts,
// which libFuzzer then reports as a crash with the input saved.
namespace fuzzcheck {

inline std::string show(const QByteArray &bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            out += c;
        } else {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[b >> 4];
            out += hex[b & 0xF];
        }
    }
    return out + "\"";
}

inline std::string show(const QString &text) {
    std::string out = "\"";
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x20 && u < 0x7F && u != '"' && u != '\\') {
            out += static_cast<char>(u);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(u));
            out += buffer;
        }
    }
    return out + "\"";
}

[[noreturn]] inline void fail(const char *what, const std::string &detail) {
    std::fprintf(stderr, "\nINVARIANT BROKEN: %s\n%s\n", what, detail.c_str());
    std::abort();
}

inline void require(bool holds, const char *what) {
    if (!holds) {
        fail(what, {});
    }
}

// detail is called only on a breach: the texts it builds would otherwise cost
// more than the code under test.
template <typename Detail> void require(bool holds, const char *what, Detail &&detail) {
    if (!holds) {
        fail(what, detail());
    }
}

} // namespace fuzzcheck

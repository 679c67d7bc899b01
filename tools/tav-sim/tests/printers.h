#pragma once

#include "frame.h"
#include "reply.h"

#include <QByteArray>

#include <ostream>

// Readable failure messages: bytes as C-escaped text instead of lists of characters.
inline void PrintTo(const QByteArray &bytes, std::ostream *os) {
    *os << '"';
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            *os << "\\r";
        } else if (c == '\n') {
            *os << "\\n";
        } else if (c == '"' || c == '\\') {
            *os << '\\' << c;
        } else if (u < 0x20 || u >= 0x7f) {
            const char *hex = "0123456789abcdef";
            *os << "\\x" << hex[u >> 4] << hex[u & 15];
        } else {
            *os << c;
        }
    }
    *os << '"';
}

inline void PrintTo(const Frame &frame, std::ostream *os) {
    *os << (frame.kind == Frame::Kind::Command      ? "Command "
            : frame.kind == Frame::Kind::Stray      ? "Stray "
            : frame.kind == Frame::Kind::Incomplete ? "Incomplete "
                                                    : "Overlong ");
    PrintTo(frame.bytes.left(80), os);
    if (frame.size() > 80) {
        *os << "... (" << frame.size() << " bytes)";
    }
}

inline void PrintTo(const Reply &reply, std::ostream *os) {
    PrintTo(reply.text, os);
    *os << (reply.after == Reply::After::Stay    ? " stay"
            : reply.after == Reply::After::Close ? " close"
                                                 : " restart");
}

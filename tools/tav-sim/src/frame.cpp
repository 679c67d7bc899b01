#include "frame.h"

#include "framereader.h"

namespace {

// " 13 03 07" for a binary field, nothing for an empty one.
QByteArray hexField(const QByteArray &bytes) {
    return bytes.isEmpty() ? QByteArray() : ' ' + bytes.toHex(' ');
}

QByteArray printable(const QByteArray &bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || u == '\\') {
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    return out;
}

// "user:password@server" with the password starred; anything else as it stands.
QByteArray maskedAccount(const QByteArray &args) {
    const qsizetype colon = args.indexOf(':');
    const qsizetype at = args.lastIndexOf('@');
    if (colon < 0 || at < colon) {
        return args;
    }
    return args.left(colon + 1) + QByteArray(at - colon - 1, '*') + args.mid(at);
}

} // namespace

QByteArray Frame::logText() const {
    switch (kind) {
    case Kind::Stray:
        return "stray" + hexField(bytes);
    case Kind::Incomplete:
        if (bytes.size() >= 6 && FrameReader::isBinaryCode(code())) {
            return "incomplete " + bytes.left(6) + hexField(args());
        }
        return "incomplete " + printable(bytes);
    case Kind::Command:
        break;
    }
    if (FrameReader::isBinaryCode(code())) {
        return bytes.left(6) + hexField(args());
    }
    if (code() == "10") {
        return bytes.left(6) + printable(maskedAccount(args()));
    }
    return printable(bytes);
}

#include "frame.h"

#include "displaytext.h"
#include "framereader.h"

namespace {

// " 13 03 07" for a binary field, nothing for an empty one.
QByteArray hexField(const QByteArray &bytes) {
    return bytes.isEmpty() ? QByteArray() : ' ' + bytes.toHex(' ');
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
    const QByteArray rest = notShown(size() - kShownBytes);
    const QByteArray shown = bytes.left(kShownBytes);
    switch (kind) {
    case Kind::Stray:
        return "stray" + hexField(shown) + rest;
    case Kind::Incomplete:
        if (bytes.size() >= 6 && FrameReader::isBinaryCode(code())) {
            return "incomplete " + bytes.left(6) + hexField(args());
        }
        return "incomplete " + escapedText(shown) + rest;
    case Kind::Overlong:
        // Only its start was kept: a password may run past it, so an account shows no more
        // than its code.
        if (code() == "10") {
            return "overlong " + bytes.left(6) + notShown(size() - 6);
        }
        return "overlong " + escapedText(shown) + rest;
    case Kind::Command:
        break;
    }
    if (FrameReader::isBinaryCode(code())) {
        return bytes.left(6) + hexField(args());
    }
    if (code() == "10") {
        // Masked whole first: the password may run past the part shown.
        const QByteArray masked = bytes.left(6) + maskedAccount(args());
        return escapedText(masked.left(kShownBytes)) + rest;
    }
    return escapedText(shown) + rest;
}

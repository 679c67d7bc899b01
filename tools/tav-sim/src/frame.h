#pragma once

#include <QByteArray>

// One unit cut from the console's byte stream: a command frame ("TAV@" + two-character
// code + arguments), bytes that stand outside any frame, or a frame the stream broke off.
// Keeps the bytes exactly as received, so replies and logs can show what really came.
struct Frame {
    enum class Kind {
        Command,    // "TAV@", a code and its arguments, complete
        Stray,      // bytes that do not start with "TAV@"
        Incomplete, // a frame the sender stopped short of its length (or of its code)
    };

    Kind kind = Kind::Command;
    QByteArray bytes;

    // Two code characters for a Command (and an Incomplete one that got that far), else empty.
    QByteArray code() const { return bytes.size() >= 6 ? bytes.mid(4, 2) : QByteArray(); }
    // Everything after the code.
    QByteArray args() const { return bytes.size() > 6 ? bytes.mid(6) : QByteArray(); }

    // Text for the simulator's own log: binary codes as hex, text codes with non-printable
    // bytes as \xNN, and the FTP password replaced by stars.
    QByteArray logText() const;

    bool operator==(const Frame &other) const = default;
};

#pragma once

#include <QByteArray>

// One unit cut from the console's byte stream: a command frame ("TAV@" + two-character
// code + arguments), bytes that stand outside any frame, or a frame the stream broke off.
// Keeps the bytes exactly as received, so replies and logs can show what really came; of a
// run too long to keep (see FrameReader::kMaxFrameBytes) only the start, and a count.
struct Frame {
    enum class Kind {
        Command,    // "TAV@", a code and its arguments, complete
        Stray,      // bytes that do not start with "TAV@"
        Incomplete, // a frame the sender stopped short of its length (or of its code)
        Overlong,   // a frame of variable length that ran past the reader's bound
    };

    // How much of a frame's bytes replies and the log repeat; the rest is only counted.
    static constexpr qsizetype kShownBytes = 64;

    Kind kind = Kind::Command;
    QByteArray bytes;      // as received; of a run past the bound, its first kShownBytes
    qsizetype dropped = 0; // bytes of a run past the bound that were counted, not kept

    // Length on the wire.
    qsizetype size() const { return bytes.size() + dropped; }
    // Two code characters for a Command (and an Incomplete one that got that far), else empty.
    QByteArray code() const { return bytes.size() >= 6 ? bytes.mid(4, 2) : QByteArray(); }
    // Everything after the code.
    QByteArray args() const { return bytes.size() > 6 ? bytes.mid(6) : QByteArray(); }

    // Text for the simulator's own log: binary codes as hex, text codes with non-printable
    // bytes as \xNN, the FTP password replaced by stars, and at most kShownBytes of the frame.
    QByteArray logText() const;

    bool operator==(const Frame &other) const = default;
};

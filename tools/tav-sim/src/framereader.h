#pragma once

#include "frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Cuts the console's byte stream into frames. Frames carry no terminator: a code's fixed
// length ends it, and a frame of variable length (and bytes outside any frame) runs up to
// the next "TAV@" or until the sender pauses, which the caller signals with finishPending().
// Keeps whatever is unfinished between arrivals, so frames split by the network come out
// whole and frames glued together come out one by one.
class FrameReader {
public:
    static constexpr QByteArrayView kMarker = "TAV@";

    // Total length of a frame with this code, or 0 when it runs to the next marker or pause.
    // Code 21 is 22 bytes at most but also ends early at a marker or pause (its two fields
    // are typed text the console does not always pad).
    static int frameLength(QByteArrayView code);
    // Codes whose arguments are numbers sent as single bytes.
    static bool isBinaryCode(QByteArrayView code);

    // Takes the bytes of one arrival; returns the frames it completed, in order.
    QList<Frame> feed(QByteArrayView bytes);
    // The sender has paused: whatever is pending is complete now (or broken off).
    QList<Frame> finishPending();
    bool hasPending() const { return !m_pending.isEmpty(); }
    void clear() { m_pending.clear(); }

private:
    // Cuts one frame off the front of m_pending if it is complete; false when it needs more.
    bool takeOne(QList<Frame> &out);
    void take(Frame::Kind kind, qsizetype length, QList<Frame> &out);

    QByteArray m_pending;
};

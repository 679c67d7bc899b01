#pragma once

#include "frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// Cuts the console's byte stream into frames. Frames carry no terminator: a code's fixed
// length ends it, and a frame of variable length (and bytes outside any frame) runs up to
// the next "TAV@" or until the sender pauses, which the caller signals with finishPending().
// Keeps whatever is unfinished between arrivals, so frames split by the network come out
// whole and frames glued together come out one by one. A run longer than kMaxFrameBytes is
// kept only in part and counted, so what the reader holds stays small whatever it is sent.
class FrameReader {
public:
    static constexpr QByteArrayView kMarker = "TAV@";
    // The longest frame the console builds is a parameter change or a command line of a few
    // hundred bytes; a logger takes no line anywhere near 64 KiB. A variable frame or a run
    // of stray bytes longer than this is answered once as too long, not kept.
    static constexpr qsizetype kMaxFrameBytes = 64 * 1024;

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
    bool hasPending() const { return !m_pending.isEmpty() || m_overlong.has_value(); }
    void clear();

private:
    void feedSlice(QByteArrayView bytes, QList<Frame> &out);
    // Cuts one frame off the front of m_pending if it is complete; false when it needs more.
    bool takeOne(QList<Frame> &out);
    // The first marker in m_pending at or after from, searching only bytes not searched yet.
    qsizetype findMarker(qsizetype from);
    void take(Frame::Kind kind, qsizetype length, QList<Frame> &out);
    // Counts the bytes of a run past the bound up to the next marker; false while it goes on.
    bool skipOverlong(QList<Frame> &out);

    QByteArray m_pending;
    // Where the marker search in m_pending goes on: no marker starts between the front's
    // own marker and here, so an arrival is searched once, not with all before it again.
    qsizetype m_searchFrom = 0;
    // The run past the bound being counted: its kind, start and the bytes let go. While it
    // lasts, m_pending holds only a tail that may begin the marker ending it.
    std::optional<Frame> m_overlong;
};

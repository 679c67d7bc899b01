#include "framereader.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<QByteArrayView, 20> kSixByteCodes = {
    "01", "02", "03", "05", "07", "08", "09", "11", "12", "13",
    "14", "15", "16", "17", "18", "30", "31", "42", "43", "44",
};

constexpr int kCodeEnd = 6;      // "TAV@" + two code characters
constexpr int kAlarmLength = 22; // code 21: two fields of eight digits

// Length of the tail of bytes that could be the start of a marker still on its way.
qsizetype partialMarkerAtEnd(const QByteArray &bytes) {
    const QByteArrayView marker = FrameReader::kMarker;
    for (qsizetype k = std::min<qsizetype>(marker.size() - 1, bytes.size()); k > 0; --k) {
        if (bytes.endsWith(marker.first(k))) {
            return k;
        }
    }
    return 0;
}

bool isFixed(int length) {
    return length > 0 && length != kAlarmLength;
}

} // namespace

int FrameReader::frameLength(QByteArrayView code) {
    if (std::find(kSixByteCodes.begin(), kSixByteCodes.end(), code) != kSixByteCodes.end()) {
        return kCodeEnd;
    }
    if (code == "21") {
        return kAlarmLength;
    }
    if (code == "23") {
        return 14;
    }
    if (code == "41") {
        return 12;
    }
    return 0;
}

bool FrameReader::isBinaryCode(QByteArrayView code) {
    return code == "23" || code == "41";
}

QList<Frame> FrameReader::feed(QByteArrayView bytes) {
    QList<Frame> out;
    // In slices no longer than the bound, so the pending bytes never hold much more than it.
    for (qsizetype at = 0; at < bytes.size(); at += kMaxFrameBytes) {
        feedSlice(bytes.sliced(at, std::min(kMaxFrameBytes, bytes.size() - at)), out);
    }
    return out;
}

void FrameReader::clear() {
    m_pending.clear();
    m_searchFrom = 0;
    m_overlong.reset();
}

void FrameReader::feedSlice(QByteArrayView bytes, QList<Frame> &out) {
    m_pending.append(bytes);
    for (;;) {
        if (m_overlong) {
            if (!skipOverlong(out)) {
                return;
            }
        } else if (!takeOne(out)) {
            break;
        }
    }
    // What is left is an unfinished stray run or variable frame (anything else is a few
    // bytes): past the bound, only its start is kept and the rest counted until it ends.
    const qsizetype tail = partialMarkerAtEnd(m_pending);
    const qsizetype run = m_pending.size() - tail;
    if (run > kMaxFrameBytes) {
        const Frame::Kind kind =
            m_pending.startsWith(kMarker) ? Frame::Kind::Overlong : Frame::Kind::Stray;
        m_overlong = Frame{kind, m_pending.left(Frame::kShownBytes), run - Frame::kShownBytes};
        m_pending.remove(0, run);
        m_searchFrom = 0;
    }
}

bool FrameReader::skipOverlong(QList<Frame> &out) {
    const qsizetype next = m_pending.indexOf(kMarker);
    const qsizetype skipped = next >= 0 ? next : m_pending.size() - partialMarkerAtEnd(m_pending);
    m_overlong->dropped += skipped;
    m_pending.remove(0, skipped);
    if (next < 0) {
        return false;
    }
    out.append(std::move(*m_overlong));
    m_overlong.reset();
    return true;
}

QList<Frame> FrameReader::finishPending() {
    QList<Frame> out;
    if (m_overlong) {
        // The pause ends the run; a tail that looked like the start of a marker was its end.
        m_overlong->dropped += m_pending.size();
        out.append(std::move(*m_overlong));
        clear();
        return out;
    }
    while (!m_pending.isEmpty()) {
        if (takeOne(out)) {
            continue;
        }
        // Nothing more is coming: what is pending ends here, whole or broken off.
        if (!m_pending.startsWith(kMarker)) {
            take(Frame::Kind::Stray, m_pending.size(), out);
        } else if (m_pending.size() < kCodeEnd) {
            take(Frame::Kind::Incomplete, m_pending.size(), out);
        } else {
            const int length = frameLength(m_pending.mid(4, 2));
            if (isFixed(length)) {
                take(Frame::Kind::Incomplete, m_pending.size(), out);
            } else if (length == kAlarmLength) {
                take(Frame::Kind::Command, std::min<qsizetype>(length, m_pending.size()), out);
            } else {
                take(Frame::Kind::Command, m_pending.size(), out);
            }
        }
    }
    return out;
}

bool FrameReader::takeOne(QList<Frame> &out) {
    if (m_pending.isEmpty()) {
        return false;
    }
    if (!m_pending.startsWith(kMarker)) {
        if (kMarker.startsWith(m_pending)) {
            return false; // "T", "TA" or "TAV": the marker may still be arriving
        }
        const qsizetype next = findMarker(1);
        if (next < 0) {
            return false; // stray bytes run to the next marker or the pause
        }
        take(Frame::Kind::Stray, next, out);
        return true;
    }

    const qsizetype next = findMarker(kMarker.size());
    if (next >= 0 && next < kCodeEnd) {
        take(Frame::Kind::Incomplete, next, out); // a new marker cut the code short
        return true;
    }
    if (m_pending.size() < kCodeEnd) {
        return false;
    }
    const int length = frameLength(m_pending.mid(4, 2));
    if (isFixed(length)) {
        // Taken by length: binary fields may hold any byte, marker-like ones included.
        if (m_pending.size() < length) {
            return false;
        }
        take(Frame::Kind::Command, length, out);
        return true;
    }
    if (next >= 0 && (length == 0 || next < length)) {
        take(Frame::Kind::Command, next, out);
        return true;
    }
    if (length == kAlarmLength && m_pending.size() >= length) {
        const qsizetype partial = partialMarkerAtEnd(m_pending);
        if (partial > 0 && m_pending.size() - partial < length) {
            return false; // a marker inside the 22 bytes may be completing
        }
        take(Frame::Kind::Command, length, out);
        return true;
    }
    return false;
}

qsizetype FrameReader::findMarker(qsizetype from) {
    const qsizetype next = m_pending.indexOf(kMarker, std::max(from, m_searchFrom));
    if (next < 0) {
        // Only the last three bytes may yet begin a marker.
        m_searchFrom = std::max(from, m_pending.size() - (kMarker.size() - 1));
    }
    return next;
}

void FrameReader::take(Frame::Kind kind, qsizetype length, QList<Frame> &out) {
    if (length > kMaxFrameBytes) {
        // Ended in the same arrival that took it past the bound: cut off all the same.
        out.append(Frame{kind == Frame::Kind::Stray ? kind : Frame::Kind::Overlong,
                         m_pending.left(Frame::kShownBytes), length - Frame::kShownBytes});
    } else {
        out.append(Frame{kind, m_pending.left(length)});
    }
    m_pending.remove(0, length);
    m_searchFrom = 0;
}

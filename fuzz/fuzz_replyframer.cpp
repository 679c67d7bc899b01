// Fuzzes the reply framer: however the network cuts the stream, the lines that
// come out (and the text left pending) must be those of the stream fed whole,
// and those of a plain byte-at-a-time reading of it; no line and no pending
// text is longer than the framer's bound, and no text is lost or reordered.
//
// Input layout: byte 0 (low four bits) = number of piece lengths that follow;
// those bytes are the lengths, used in turn; the rest is the reply stream.
// Byte 0's high four bits pick the bound: 0 the real one, else a small one
// that short inputs reach.
#include "replies/replyframer.h"

#include "fuzzcheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using fuzzcheck::require;
using fuzzcheck::show;

struct Framed {
    std::vector<ReplyLine> lines;
    ReplyLine remainder;
    bool inOperation = false;
};

std::string describe(const Framed &framed) {
    std::string out;
    for (const ReplyLine &line : framed.lines) {
        out += "\n  " + show(line.trace) + " {" + show(line.operation) + "}";
    }
    return out + "\n  pending " + show(framed.remainder.trace) + " {" +
           show(framed.remainder.operation) + "}" +
           (framed.inOperation ? " in braces" : " outside braces");
}

bool sameLine(const ReplyLine &a, const ReplyLine &b) {
    return a.trace == b.trace && a.operation == b.operation && a.operationCut == b.operationCut;
}

bool sameFraming(const Framed &a, const Framed &b) {
    return a.lines.size() == b.lines.size() &&
           std::equal(a.lines.begin(), a.lines.end(), b.lines.begin(), sameLine) &&
           sameLine(a.remainder, b.remainder) && a.inOperation == b.inOperation;
}

Framed finish(ReplyFramer &framer, std::vector<ReplyLine> lines) {
    Framed framed;
    framed.lines = std::move(lines);
    const bool pending = framer.hasPending();
    framed.inOperation = framer.inOperation();
    framed.remainder = framer.takeRemainder();
    require(pending == (!framed.remainder.trace.isEmpty() || !framed.remainder.operation.isEmpty()),
            "hasPending() disagrees with the remainder");
    require(!framer.hasPending(), "takeRemainder() left text pending");
    require(framer.inOperation() == framed.inOperation, "takeRemainder() changed the brace mode");
    return framed;
}

qsizetype boundOf(std::uint8_t selector) {
    static constexpr qsizetype kSmallBounds[15] = {1,  2,  3,  7,  8,  9,   15, 16,
                                                   17, 31, 32, 33, 64, 100, 255};
    return selector == 0 ? ReplyFramer::kMaxEntryBytes : kSmallBounds[selector - 1];
}

// The framing rules one byte at a time.
Framed referenceFrame(QByteArrayView stream, qsizetype bound) {
    Framed framed;
    bool operationCut = false; // the pending operation text follows a piece handed on
    for (const char c : stream) {
        if (c == '{') {
            framed.inOperation = true;
        } else if (c == '}') {
            framed.inOperation = false;
        } else if (c == '\n') {
            framed.remainder.operationCut = operationCut && !framed.remainder.operation.isEmpty();
            if (!framed.remainder.trace.isEmpty() || !framed.remainder.operation.isEmpty()) {
                framed.lines.push_back(framed.remainder);
            }
            framed.remainder = {};
            operationCut = false;
        } else if (c != '\r') {
            QByteArray &text =
                framed.inOperation ? framed.remainder.operation : framed.remainder.trace;
            text.append(c);
            if (text.size() == bound) {
                framed.lines.push_back(framed.inOperation ? ReplyLine{{}, text, true}
                                                          : ReplyLine{text, {}, false});
                operationCut = operationCut || framed.inOperation;
                text.clear();
            }
        }
    }
    framed.remainder.operationCut = operationCut && !framed.remainder.operation.isEmpty();
    return framed;
}

// Each kind's text in the order it arrived, braces and line ends left out.
ReplyLine textsOf(QByteArrayView stream) {
    ReplyLine texts;
    bool inOperation = false;
    for (const char c : stream) {
        if (c == '{' || c == '}') {
            inOperation = c == '{';
        } else if (c != '\n' && c != '\r') {
            (inOperation ? texts.operation : texts.trace).append(c);
        }
    }
    return texts;
}

bool holdsSpecial(const QByteArray &text) {
    for (const char c : text) {
        if (c == '\n' || c == '\r' || c == '{' || c == '}') {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t cutCount = std::min<std::size_t>(data[0] & 0x0F, size - 1);
    const std::uint8_t *const cuts = data + 1;
    const QByteArrayView stream(reinterpret_cast<const char *>(data + 1 + cutCount),
                                static_cast<qsizetype>(size - 1 - cutCount));
    const qsizetype bound = boundOf(data[0] >> 4);

    ReplyFramer whole(bound);
    std::vector<ReplyLine> wholeLines;
    whole.feed(stream, wholeLines);
    const Framed wholeFramed = finish(whole, std::move(wholeLines));

    ReplyFramer pieces(bound);
    std::vector<ReplyLine> pieceLines;
    qsizetype at = 0;
    for (std::size_t turn = 0; at < stream.size(); ++turn) {
        // A zero length feeds an empty piece, then one byte so the walk moves on.
        qsizetype length = cutCount == 0 ? stream.size() : cuts[turn % cutCount];
        if (length == 0) {
            pieces.feed(stream.sliced(at, 0), pieceLines);
            length = 1;
        }
        length = std::min(length, stream.size() - at);
        pieces.feed(stream.sliced(at, length), pieceLines);
        at += length;
        // A copy shows what is pending without disturbing the framer.
        ReplyFramer probe = pieces;
        const ReplyLine held = probe.takeRemainder();
        require(held.trace.size() < bound && held.operation.size() < bound,
                "pending text reached the bound", [&] { return show(stream.toByteArray()); });
    }
    const Framed pieceFramed = finish(pieces, std::move(pieceLines));

    require(sameFraming(pieceFramed, wholeFramed), "the cut stream frames differently", [&] {
        return show(stream.toByteArray()) + "\nwhole:" + describe(wholeFramed) +
               "\npieces:" + describe(pieceFramed);
    });

    const Framed expected = referenceFrame(stream, bound);
    require(sameFraming(wholeFramed, expected), "framer and byte-at-a-time reading differ", [&] {
        return show(stream.toByteArray()) + "\nframer:" + describe(wholeFramed) +
               "\nreference:" + describe(expected);
    });

    ReplyLine joined;
    for (const ReplyLine &line : wholeFramed.lines) {
        require(!line.trace.isEmpty() || !line.operation.isEmpty(), "an empty line came out",
                [&] { return show(stream.toByteArray()); });
        require(line.trace.size() <= bound && line.operation.size() <= bound,
                "a line is longer than the bound",
                [&] { return show(stream.toByteArray()) + describe(wholeFramed); });
        joined.trace += line.trace;
        joined.operation += line.operation;
        require(!holdsSpecial(line.trace) && !holdsSpecial(line.operation),
                "a line holds a line end or a brace",
                [&] { return show(stream.toByteArray()) + describe(wholeFramed); });
    }
    require(!holdsSpecial(wholeFramed.remainder.trace) &&
                !holdsSpecial(wholeFramed.remainder.operation),
            "the pending text holds a line end or a brace",
            [&] { return show(stream.toByteArray()); });
    joined.trace += wholeFramed.remainder.trace;
    joined.operation += wholeFramed.remainder.operation;
    require(sameLine(joined, textsOf(stream)), "text was lost, added or reordered",
            [&] { return show(stream.toByteArray()) + describe(wholeFramed); });

    // After reset the framer must behave as a new one, whatever it held before.
    std::vector<ReplyLine> discarded;
    pieces.feed(stream, discarded);
    pieces.reset();
    require(!pieces.hasPending() && !pieces.inOperation(), "reset() kept state");
    std::vector<ReplyLine> again;
    pieces.feed(stream, again);
    require(sameFraming(finish(pieces, std::move(again)), wholeFramed),
            "a reset framer frames differently from a new one",
            [&] { return show(stream.toByteArray()); });
    return 0;
}

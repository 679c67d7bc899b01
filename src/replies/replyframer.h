#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// One line of the reply stream, cut at a line feed: the text seen outside braces and the
// text seen inside braces. Either may be empty; the framer never returns a line with both empty.
struct ReplyLine {
    QByteArray trace;
    QByteArray operation;
    // The operation text is a piece of a text that passed the size bound, not a whole line.
    bool operationCut = false;
};

// A line as the framer hands it to a sink: views valid only during the call. A text that
// stood in one piece of the input is a view into that input; one gathered from several
// pieces (split by the network, braces or a CR) is a view into the framer's own buffer.
struct ReplyLineView {
    QByteArrayView trace;
    QByteArrayView operation;
    bool operationCut = false;
};

class ReplyLineSink {
public:
    virtual void line(const ReplyLineView &line) = 0;

protected:
    ~ReplyLineSink() = default;
};

// Cuts the logger's reply stream into lines and sorts each byte into trace text (outside
// braces) or operation text (inside braces). Keeps the unfinished line and the brace mode
// between arrivals, so a line split by the network comes out whole and in the right list.
// Unfinished text is bounded: a logger that never sends a line feed cannot exhaust memory.
class ReplyFramer {
public:
    // Pending trace or operation text that reaches this size goes out as a line of its own.
    static constexpr qsizetype kMaxEntryBytes = 1024 * 1024;

    // maxEntryBytes (at least 1) replaces kMaxEntryBytes, so tests can reach it with little text.
    explicit ReplyFramer(qsizetype maxEntryBytes = kMaxEntryBytes);

    // Cuts bytes at line feeds, keeping unfinished text and the brace mode for the next call.
    // Appends one ReplyLine per line feed whose trace or operation text is non-empty. When the
    // pending text of one kind reaches the bound, it is appended at once as a ReplyLine holding
    // only that text; the other kind stays pending and the rest of the line comes after it.
    void feed(QByteArrayView bytes, std::vector<ReplyLine> &out);
    // The same, handing each line to the sink without copying its texts.
    void feed(QByteArrayView bytes, ReplyLineSink &sink);
    // Text pending without a line feed (returned and cleared; the brace mode is kept).
    // Empty ReplyLine when nothing is pending.
    ReplyLine takeRemainder();
    bool hasPending() const;
    bool inOperation() const; // current brace mode
    // A new connection: nothing pending, trace mode.
    void reset();

private:
    // One kind's text of the unfinished line: a run of the current input not yet copied,
    // or (once it has more than one piece, and between calls) the framer's own copy.
    struct Text {
        QByteArray pending;
        QByteArrayView run; // non-empty only while pending is empty
        qsizetype size() const { return pending.size() + run.size(); }
        QByteArrayView view() const { return run.isEmpty() ? QByteArrayView(pending) : run; }
        void settle();
        void clear();
    };

    void append(const char *text, qsizetype size, ReplyLineSink &sink);
    void emitLine(ReplyLineSink &sink);

    Text m_trace;
    Text m_operation;
    qsizetype m_maxEntryBytes;
    bool m_inOperation = false;
    bool m_operationCut = false; // the pending operation text follows a piece handed on
};

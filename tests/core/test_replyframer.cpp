#include "replies/replyframer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// A line as {trace, operation}, for readable expectations and failure output.
using Line = std::pair<std::string, std::string>;
using Lines = std::vector<Line>;

std::string str(const QByteArray &bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray bytesOf(const std::string &s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

Lines toLines(const std::vector<ReplyLine> &lines) {
    Lines result;
    for (const ReplyLine &line : lines) {
        result.emplace_back(str(line.trace), str(line.operation));
    }
    return result;
}

// Feeds the pieces one after another into one framer and collects every line.
Lines feedPieces(ReplyFramer &framer, const std::vector<QByteArray> &pieces) {
    std::vector<ReplyLine> out;
    for (const QByteArray &piece : pieces) {
        framer.feed(piece, out);
    }
    return toLines(out);
}

// Straight byte-at-a-time statement of the framing rules, to cross-check the word-wise scan.
struct Reference {
    Lines lines;
    std::string trace;
    std::string operation;
    bool inOperation = false;
};

Reference referenceFrame(const std::string &bytes,
                         std::size_t bound = std::size_t(ReplyFramer::kMaxEntryBytes)) {
    Reference r;
    for (char c : bytes) {
        if (c == '{') {
            r.inOperation = true;
        } else if (c == '}') {
            r.inOperation = false;
        } else if (c == '\n') {
            if (!r.trace.empty() || !r.operation.empty()) {
                r.lines.emplace_back(r.trace, r.operation);
            }
            r.trace.clear();
            r.operation.clear();
        } else if (c != '\r') {
            std::string &text = r.inOperation ? r.operation : r.trace;
            text.push_back(c);
            if (text.size() == bound) {
                r.lines.emplace_back(r.inOperation ? "" : text, r.inOperation ? text : "");
                text.clear();
            }
        }
    }
    return r;
}

struct FrameCase {
    const char *name;
    std::string input;
    Lines lines;
    Line remainder;
    bool inOperation;
};

const std::vector<FrameCase> &frameCases() {
    using namespace std::string_literals;
    static const std::vector<FrameCase> cases = {
        {"TraceAroundOperation", "abc{def}ghi\n", {{"abcghi", "def"}}, {}, false},
        {"OperationOverTwoLines", "{one\ntwo}\n", {{"", "one"}, {"", "two"}}, {}, false},
        {"LoneCrIsDropped", "a\rb\n", {{"ab", ""}}, {}, false},
        {"CrLfEndsOneLine", "line\r\n", {{"line", ""}}, {}, false},
        {"CrAfterLfStartsNothing", "x\n\ry\n", {{"x", ""}, {"y", ""}}, {}, false},
        {"EmptyLine", "\n", {}, {}, false},
        {"TwoLineFeeds", "\n\n", {}, {}, false},
        {"CrLfOnly", "\r\n\r\n\r", {}, {}, false},
        {"EmptyBraces", "{}\n", {}, {}, false},
        {"ExtraClosingBraces", "}}x\n", {{"x", ""}}, {}, false},
        {"ExtraOpeningBraces", "{{x\n", {{"", "x"}}, {}, true},
        {"ClosingBeforeOpening", "x}y{z\n", {{"xy", "z"}}, {}, true},
        {"TwoOperationsJoin", "{a}{b}\n", {{"", "ab"}}, {}, false},
        {"TracePieceFirstWhateverTheOrder", "{op}tr\n", {{"tr", "op"}}, {}, false},
        {"ModeSurvivesLineEnds", "{a\nb\nc}d\n", {{"", "a"}, {"", "b"}, {"d", "c"}}, {}, false},
        {"EightBitBytesKept",
         "\x00\x80\xFF{\xFF\x7F\x00}\x01\n"s,
         {{"\x00\x80\xFF\x01"s, "\xFF\x7F\x00"s}},
         {},
         false},
        // Bytes that differ from a special byte in one bit must not be taken for it.
        {"NearMissBytes",
         "\x7A\x7C\x7E\xFB\xFD\x0B\x0C\x8A\x8D\x0E\n",
         {{"\x7A\x7C\x7E\xFB\xFD\x0B\x0C\x8A\x8D\x0E", ""}},
         {},
         false},
        {"SpecialsPastTheFirstWord",
         "0123456789{abcdefghij}klmnopqrstuvw\r\nxyz",
         {{"0123456789klmnopqrstuvw", "abcdefghij"}},
         {"xyz", ""},
         false},
        {"NoLineFeedStaysPending", "abc{de", {}, {"abc", "de"}, true},
        {"RemainderAfterLines", "{p\nq", {{"", "p"}}, {"", "q"}, true},
        {"Nothing", "", {}, {}, false},
    };
    return cases;
}

// Failure output names the case instead of dumping its bytes.
void PrintTo(const FrameCase &c, std::ostream *os) {
    *os << c.name;
}

class ReplyFramerCases : public testing::TestWithParam<FrameCase> {};

TEST_P(ReplyFramerCases, WholeArrival) {
    const FrameCase &c = GetParam();
    ReplyFramer framer;
    EXPECT_EQ(feedPieces(framer, {bytesOf(c.input)}), c.lines);
    EXPECT_EQ(framer.inOperation(), c.inOperation);
    EXPECT_EQ(framer.hasPending(), !c.remainder.first.empty() || !c.remainder.second.empty());
    const ReplyLine rest = framer.takeRemainder();
    EXPECT_EQ(Line(str(rest.trace), str(rest.operation)), c.remainder);
    EXPECT_FALSE(framer.hasPending());
    EXPECT_EQ(framer.inOperation(), c.inOperation);
}

TEST_P(ReplyFramerCases, OneByteAtATime) {
    const FrameCase &c = GetParam();
    ReplyFramer framer;
    std::vector<QByteArray> pieces;
    for (char b : c.input) {
        pieces.push_back(QByteArray(1, b));
    }
    EXPECT_EQ(feedPieces(framer, pieces), c.lines);
    const ReplyLine rest = framer.takeRemainder();
    EXPECT_EQ(Line(str(rest.trace), str(rest.operation)), c.remainder);
    EXPECT_EQ(framer.inOperation(), c.inOperation);
}

INSTANTIATE_TEST_SUITE_P(ReplyFramer, ReplyFramerCases, testing::ValuesIn(frameCases()),
                         [](const testing::TestParamInfo<FrameCase> &info) {
                             return std::string(info.param.name);
                         });

const std::string kParameterReply = "{Parameters\r\nLEVEL:5\r\nNAME:x:y\r\n}\r\n";
const Lines kParameterLines = {{"", "Parameters"}, {"", "LEVEL:5"}, {"", "NAME:x:y"}};

TEST(ReplyFramer, ParameterReplyWhole) {
    ReplyFramer framer;
    EXPECT_EQ(feedPieces(framer, {bytesOf(kParameterReply)}), kParameterLines);
    EXPECT_FALSE(framer.hasPending());
    EXPECT_FALSE(framer.inOperation());
}

TEST(ReplyFramer, ParameterReplySplitAtEveryPosition) {
    const QByteArray whole = bytesOf(kParameterReply);
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        ReplyFramer framer;
        EXPECT_EQ(feedPieces(framer, {whole.left(cut), whole.mid(cut)}), kParameterLines);
        EXPECT_FALSE(framer.hasPending());
        EXPECT_FALSE(framer.inOperation());
    }
}

TEST(ReplyFramer, ParameterReplySplitAtEveryPairOfPositions) {
    const QByteArray whole = bytesOf(kParameterReply);
    for (qsizetype a = 0; a <= whole.size(); ++a) {
        for (qsizetype b = a; b <= whole.size(); ++b) {
            SCOPED_TRACE(testing::Message() << a << "," << b);
            ReplyFramer framer;
            const Lines lines =
                feedPieces(framer, {whole.left(a), whole.mid(a, b - a), whole.mid(b)});
            ASSERT_EQ(lines, kParameterLines);
        }
    }
}

TEST(ReplyFramer, ParameterReplyRandomCuts) {
    // Several replies back to back, with trace output in between, cut at random places.
    QByteArray whole;
    Lines expected;
    for (int i = 0; i < 50; ++i) {
        const QByteArray trace = "trace " + QByteArray::number(i);
        whole += bytesOf(kParameterReply) + trace + "\r\n";
        expected.insert(expected.end(), kParameterLines.begin(), kParameterLines.end());
        expected.emplace_back(str(trace), "");
    }
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::uniform_int_distribution<qsizetype> size(1, round % 2 == 0 ? 5 : 300);
        std::vector<QByteArray> pieces;
        for (qsizetype at = 0; at < whole.size();) {
            const qsizetype n = size(random);
            pieces.push_back(whole.mid(at, n));
            at += n;
        }
        ReplyFramer framer;
        ASSERT_EQ(feedPieces(framer, pieces), expected);
        EXPECT_FALSE(framer.hasPending());
    }
}

TEST(ReplyFramer, LineSplitBetweenArrivalsComesOutWhole) {
    ReplyFramer framer;
    std::vector<ReplyLine> out;
    framer.feed("{par", out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(framer.hasPending());
    EXPECT_TRUE(framer.inOperation());
    framer.feed("tial}\n", out);
    EXPECT_EQ(toLines(out), (Lines{{"", "partial"}}));
    EXPECT_FALSE(framer.hasPending());
    EXPECT_FALSE(framer.inOperation());
}

TEST(ReplyFramer, FeedAppendsToWhatTheCallerHolds) {
    ReplyFramer framer;
    std::vector<ReplyLine> out;
    framer.feed("a\n", out);
    framer.feed("{b}\nc", out);
    EXPECT_EQ(toLines(out), (Lines{{"a", ""}, {"", "b"}}));
}

TEST(ReplyFramer, RandomStreamsMatchTheByteWiseRules) {
    // Dense specials among all 256 byte values at every alignment, cut at random places.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> pick(0, 9);
    const char specials[] = {'{', '}', '\n', '\r'};
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::string stream;
        const int length = 1 + round * 7;
        for (int i = 0; i < length; ++i) {
            const int p = pick(random);
            stream.push_back(p < 4 ? specials[p] : static_cast<char>(anyByte(random)));
        }
        const Reference expected = referenceFrame(stream);
        const QByteArray whole = bytesOf(stream);
        std::vector<QByteArray> pieces;
        std::uniform_int_distribution<qsizetype> size(1, 40);
        for (qsizetype at = 0; at < whole.size();) {
            const qsizetype n = size(random);
            pieces.push_back(whole.mid(at, n));
            at += n;
        }
        for (const auto &arrivals : {std::vector<QByteArray>{whole}, pieces}) {
            ReplyFramer framer;
            ASSERT_EQ(feedPieces(framer, arrivals), expected.lines);
            const ReplyLine rest = framer.takeRemainder();
            EXPECT_EQ(str(rest.trace), expected.trace);
            EXPECT_EQ(str(rest.operation), expected.operation);
            EXPECT_EQ(framer.inOperation(), expected.inOperation);
        }
        // The same with a bound that the lines reach often.
        const std::size_t bound = 1 + round % 9;
        const Reference bounded = referenceFrame(stream, bound);
        ReplyFramer framer(static_cast<qsizetype>(bound));
        ASSERT_EQ(feedPieces(framer, pieces), bounded.lines);
        const ReplyLine rest = framer.takeRemainder();
        EXPECT_EQ(str(rest.trace), bounded.trace);
        EXPECT_EQ(str(rest.operation), bounded.operation);
    }
}

TEST(ReplyFramer, EverySpecialByteFoundAtEveryOffset) {
    // One special byte among plain text, at each offset of two 8-byte words and their tails.
    for (char special : {'{', '}', '\n', '\r'}) {
        for (int offset = 0; offset < 19; ++offset) {
            SCOPED_TRACE(testing::Message() << int(special) << " at " << offset);
            std::string stream(19, '\0');
            for (int i = 0; i < 19; ++i) {
                stream[i] = static_cast<char>('a' + i);
            }
            stream[offset] = special;
            stream += "\n";
            const Reference expected = referenceFrame(stream);
            ReplyFramer framer;
            EXPECT_EQ(feedPieces(framer, {bytesOf(stream)}), expected.lines);
            EXPECT_EQ(framer.inOperation(), special == '{');
        }
    }
}

TEST(ReplyFramer, TakeRemainderReturnsBothKindsAndKeepsTheMode) {
    ReplyFramer framer;
    std::vector<ReplyLine> out;
    framer.feed("ab{cd", out);
    ASSERT_TRUE(out.empty());
    const ReplyLine first = framer.takeRemainder();
    EXPECT_EQ(first.trace, QByteArray("ab"));
    EXPECT_EQ(first.operation, QByteArray("cd"));
    EXPECT_FALSE(framer.hasPending());
    EXPECT_TRUE(framer.inOperation());

    const ReplyLine nothing = framer.takeRemainder();
    EXPECT_TRUE(nothing.trace.isEmpty());
    EXPECT_TRUE(nothing.operation.isEmpty());

    // The text taken does not come back; the kept mode sorts the next text.
    framer.feed("ef\n", out);
    EXPECT_EQ(toLines(out), (Lines{{"", "ef"}}));
}

TEST(ReplyFramer, ResetDropsPendingTextAndMode) {
    ReplyFramer framer;
    std::vector<ReplyLine> out;
    framer.feed("x{y", out);
    ASSERT_TRUE(framer.hasPending());
    ASSERT_TRUE(framer.inOperation());
    framer.reset();
    EXPECT_FALSE(framer.hasPending());
    EXPECT_FALSE(framer.inOperation());
    framer.feed("z\n", out);
    EXPECT_EQ(toLines(out), (Lines{{"z", ""}}));
}

QByteArray plainText(qsizetype size) {
    // Varied bytes, none of them special, so a misplaced cut or dropped byte shows.
    QByteArray text(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        text[i] = static_cast<char>(' ' + i % 91); // ' ' .. 'z', below '{'
    }
    return text;
}

// Feeds text in pieces of uneven sizes, so the bound falls inside a piece and between pieces.
void feedUnevenly(ReplyFramer &framer, QByteArrayView text, std::vector<ReplyLine> &out) {
    const qsizetype sizes[] = {1, 7, 4093, 65537, 12345, 16};
    for (qsizetype at = 0, turn = 0; at < text.size(); ++turn) {
        const qsizetype n = qMin(sizes[turn % 6], text.size() - at);
        framer.feed(text.sliced(at, n), out);
        at += n;
    }
}

TEST(ReplyFramer, LineOfExactlyTheBoundComesOutOnce) {
    constexpr qsizetype kMax = ReplyFramer::kMaxEntryBytes;
    ASSERT_EQ(kMax, 1024 * 1024);
    const QByteArray text = plainText(kMax);
    for (bool operation : {false, true}) {
        SCOPED_TRACE(operation);
        ReplyFramer framer;
        std::vector<ReplyLine> out;
        framer.feed(operation ? "{" : "", out);
        feedUnevenly(framer, QByteArrayView(text).first(kMax - 1), out);
        EXPECT_TRUE(out.empty()); // one byte short stays pending
        framer.feed(QByteArrayView(text).last(1), out);
        ASSERT_EQ(out.size(), 1u); // at the bound it goes out without waiting for LF
        EXPECT_EQ(operation ? out[0].operation : out[0].trace, text);
        EXPECT_TRUE((operation ? out[0].trace : out[0].operation).isEmpty());
        EXPECT_FALSE(framer.hasPending());
        framer.feed("\r\n", out);
        EXPECT_EQ(out.size(), 1u); // the line feed after it makes no empty line
        EXPECT_EQ(framer.inOperation(), operation);
    }
}

TEST(ReplyFramer, EndlessLineComesOutInEntriesOfTheBound) {
    constexpr qsizetype kMax = ReplyFramer::kMaxEntryBytes;
    const QByteArray text = plainText(kMax * 7 / 2);
    ReplyFramer framer;
    std::vector<ReplyLine> out;
    feedUnevenly(framer, text, out);
    ASSERT_EQ(out.size(), 3u);
    QByteArray joined;
    for (const ReplyLine &line : out) {
        EXPECT_EQ(line.trace.size(), kMax);
        EXPECT_TRUE(line.operation.isEmpty());
        joined += line.trace;
    }
    const ReplyLine rest = framer.takeRemainder();
    EXPECT_EQ(rest.trace.size(), kMax / 2);
    EXPECT_TRUE(joined + rest.trace == text);
}

TEST(ReplyFramer, KindsInterleavedPastTheBoundKeepTheirOrder) {
    const std::string stream = "ab{cdefgh}ij{k}lmn\nop";
    const Lines expected = {{"", "cdef"}, {"abij", ""}, {"lmn", "ghk"}};
    for (qsizetype piece : {qsizetype(stream.size()), qsizetype(1), qsizetype(3)}) {
        SCOPED_TRACE(piece);
        ReplyFramer framer(4);
        std::vector<QByteArray> pieces;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            pieces.push_back(bytesOf(stream.substr(at, piece)));
        }
        EXPECT_EQ(feedPieces(framer, pieces), expected);
        EXPECT_EQ(framer.takeRemainder().trace, QByteArray("op"));
    }
}

TEST(ReplyFramer, LargeArrivalIsProcessedWhole) {
    // Far past 32,766 bytes: one long line, then many short ones, in a single arrival.
    const QByteArray longLine = plainText(100 * 1024);
    QByteArray arrival = "{" + longLine + "}\r\n";
    Lines expected = {{"", str(longLine)}};
    for (int i = 0; arrival.size() < 200 * 1024; ++i) {
        const QByteArray value = "P" + QByteArray::number(i) + ":" + QByteArray::number(i * 3);
        const QByteArray trace = "t" + QByteArray::number(i);
        arrival += "{" + value + "}\r\n" + trace + "\r\n";
        expected.emplace_back("", str(value));
        expected.emplace_back(str(trace), "");
    }
    arrival += "tail";
    ReplyFramer framer;
    EXPECT_EQ(feedPieces(framer, {arrival}), expected);
    EXPECT_EQ(framer.takeRemainder().trace, QByteArray("tail"));
}

} // namespace

TEST(ReplyFramer, PiecesOfAnOverLongOperationTextAreMarkedCut) {
    ReplyFramer framer(4);
    std::vector<ReplyLine> lines;
    framer.feed("{abcdefg}x\n{h:1}\n{ijklm", lines);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].operation, "abcd");
    EXPECT_TRUE(lines[0].operationCut);
    // The rest of the cut text, with the trace of its line: still no whole line.
    EXPECT_EQ(lines[1].operation, "efg");
    EXPECT_EQ(lines[1].trace, "x");
    EXPECT_TRUE(lines[1].operationCut);
    EXPECT_EQ(lines[2].operation, "h:1");
    EXPECT_FALSE(lines[2].operationCut);
    EXPECT_EQ(lines[3].operation, "ijkl");
    EXPECT_TRUE(lines[3].operationCut);
    const ReplyLine rest = framer.takeRemainder();
    EXPECT_EQ(rest.operation, "m");
    EXPECT_TRUE(rest.operationCut);
}

TEST(ReplyFramer, ASinkSeesWholeLinesAsViewsIntoTheInputAndOthersWhole) {
    struct Record final : ReplyLineSink {
        void line(const ReplyLineView &line) override {
            seen.push_back({line.trace.toByteArray(), line.operation.toByteArray()});
            traceData.push_back(line.trace.data());
        }
        std::vector<std::pair<QByteArray, QByteArray>> seen;
        std::vector<const char *> traceData;
    } sink;
    ReplyFramer framer;
    const QByteArray first = "alpha\r\nbe{x}ta\r\npar";
    framer.feed(first, sink);
    const QByteArray second = "tial\r\n";
    framer.feed(second, sink);
    ASSERT_EQ(sink.seen.size(), 3u);
    using Texts = std::pair<QByteArray, QByteArray>;
    EXPECT_EQ(sink.seen[0], Texts("alpha", ""));
    EXPECT_EQ(sink.traceData[0], first.constData()); // no copy for a line in one piece
    EXPECT_EQ(sink.seen[1], Texts("beta", "x"));
    EXPECT_EQ(sink.seen[2], Texts("partial", ""));
    const char *data = sink.traceData[2];
    EXPECT_FALSE(data >= second.constData() && data < second.constData() + second.size());
}

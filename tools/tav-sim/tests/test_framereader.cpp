#include "framereader.h"
#include "printers.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <string>

namespace {

using Kind = Frame::Kind;

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

Frame command(const QByteArray &b) {
    return Frame{Kind::Command, b};
}
Frame stray(const QByteArray &b) {
    return Frame{Kind::Stray, b};
}
Frame incomplete(const QByteArray &b) {
    return Frame{Kind::Incomplete, b};
}

std::string show(const QList<Frame> &frames) {
    std::string out;
    for (const Frame &f : frames) {
        out += f.kind == Kind::Command ? "C[" : f.kind == Kind::Stray ? "S[" : "I[";
        out += f.bytes.toHex(' ').toStdString() + "] ";
    }
    return out;
}

struct CatalogueFrame {
    QByteArray bytes;
    bool needsPause; // a variable frame at the end of the stream ends only at the pause
};

// One frame of every code the console sends, as the console builds it.
const QList<CatalogueFrame> &catalogue() {
    static const QList<CatalogueFrame> frames = {
        {"TAV@01", false},
        {"TAV@02", false},
        {"TAV@03", false},
        {"TAV@04LEVEL:5", true},
        {"TAV@05", false},
        {"TAV@07", false},
        {"TAV@08", false},
        {"TAV@09", false},
        {"TAV@10tavupdate:tav2019@ftp.example.net", true},
        {"TAV@10", true},
        {"TAV@11", false},
        {"TAV@12", false},
        {"TAV@13", false},
        {"TAV@14", false},
        {"TAV@15", false},
        {"TAV@16", false},
        {"TAV@17", false},
        {"TAV@18", false},
        {"TAV@210000001200000003", false},
        {"TAV@22ls -l", true},
        {"TAV@22", true},
        {"TAV@23" + bytes({19, 3, 7, 0, 19, 3, 7, 14}), false},
        {"TAV@30", false},
        {"TAV@31", false},
        {"TAV@41" + bytes({19, 3, 7, 13, 25, 30}), false},
        {"TAV@42", false},
        {"TAV@43", false},
        {"TAV@44", false},
    };
    return frames;
}

// Feeds the pieces one by one, then signals the pause.
QList<Frame> read(const QList<QByteArray> &pieces) {
    FrameReader reader;
    QList<Frame> out;
    for (const QByteArray &piece : pieces) {
        out += reader.feed(piece);
    }
    out += reader.finishPending();
    EXPECT_FALSE(reader.hasPending());
    return out;
}

QList<QByteArray> byteByByte(const QByteArray &b) {
    QList<QByteArray> pieces;
    for (char c : b) {
        pieces.append(QByteArray(1, c));
    }
    return pieces;
}

TEST(FrameReader, EveryCatalogueFrameWhole) {
    for (const CatalogueFrame &c : catalogue()) {
        SCOPED_TRACE(c.bytes.toStdString());
        FrameReader reader;
        const QList<Frame> now = reader.feed(c.bytes);
        const QList<Frame> afterPause = reader.finishPending();
        const QList<Frame> expected = {command(c.bytes)};
        if (c.needsPause) {
            EXPECT_TRUE(now.isEmpty()) << show(now);
            EXPECT_EQ(afterPause, expected) << show(afterPause);
        } else {
            EXPECT_EQ(now, expected) << show(now);
            EXPECT_TRUE(afterPause.isEmpty()) << show(afterPause);
        }
    }
}

TEST(FrameReader, EveryCatalogueFrameSplitAtEveryByte) {
    for (const CatalogueFrame &c : catalogue()) {
        for (qsizetype cut = 1; cut < c.bytes.size(); ++cut) {
            SCOPED_TRACE(c.bytes.toStdString() + " cut at " + std::to_string(cut));
            FrameReader reader;
            EXPECT_TRUE(reader.feed(c.bytes.left(cut)).isEmpty());
            EXPECT_TRUE(reader.hasPending());
            QList<Frame> got = reader.feed(c.bytes.mid(cut));
            EXPECT_EQ(got.isEmpty(), c.needsPause);
            got += reader.finishPending();
            EXPECT_EQ(got, QList<Frame>{command(c.bytes)}) << show(got);
        }
        SCOPED_TRACE(c.bytes.toStdString() + " byte by byte");
        EXPECT_EQ(read(byteByByte(c.bytes)), QList<Frame>{command(c.bytes)});
    }
}

TEST(FrameReader, CatalogueGluedIntoOneStream) {
    QByteArray stream;
    QList<Frame> expected;
    for (const CatalogueFrame &c : catalogue()) {
        stream += c.bytes;
        expected.append(command(c.bytes));
    }
    // Every frame is ended by the next marker or its length; the last one is fixed.
    FrameReader whole;
    EXPECT_EQ(whole.feed(stream), expected);
    EXPECT_FALSE(whole.hasPending());

    EXPECT_EQ(read(byteByByte(stream)), expected);
    for (qsizetype cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        ASSERT_EQ(read({stream.left(cut), stream.mid(cut)}), expected);
    }
    for (qsizetype size : {2, 3, 5, 7, 13}) {
        QList<QByteArray> pieces;
        for (qsizetype at = 0; at < stream.size(); at += size) {
            pieces.append(stream.mid(at, size));
        }
        EXPECT_EQ(read(pieces), expected) << "pieces of " << size;
    }
}

TEST(FrameReader, BinaryFieldsAreTakenByLengthWhateverTheirBytes) {
    struct Case {
        const char *what;
        QByteArray stream;
        QList<Frame> expected;
    };
    const QByteArray clockWithLineEnds = "TAV@41" + bytes({0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D});
    const QByteArray rangeWithLineEnds = "TAV@23" + bytes({19, 10, 13, 10, 19, 10, 13, 13});
    const QByteArray rangeLikeMarker = "TAV@23" + QByteArray("TAV@07\r\n");
    const QByteArray clockLikeMarker = "TAV@41" + QByteArray("TAV@01");
    const QList<Case> cases = {
        {"41 with CR and LF bytes",
         clockWithLineEnds + "TAV@07",
         {command(clockWithLineEnds), command("TAV@07")}},
        {"23 with CR and LF bytes",
         rangeWithLineEnds + "TAV@07",
         {command(rangeWithLineEnds), command("TAV@07")}},
        {"23 holding marker-like bytes",
         rangeLikeMarker + "TAV@07",
         {command(rangeLikeMarker), command("TAV@07")}},
        {"41 holding marker-like bytes",
         clockLikeMarker + "TAV@02",
         {command(clockLikeMarker), command("TAV@02")}},
        {"41 with zero bytes",
         "TAV@41" + QByteArray(6, '\0'),
         {command("TAV@41" + QByteArray(6, '\0'))}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read({c.stream}), c.expected);
        EXPECT_EQ(read(byteByByte(c.stream)), c.expected);
        FrameReader reader; // complete without any pause
        EXPECT_EQ(reader.feed(c.stream), c.expected);
    }
}

TEST(FrameReader, VariableFramesEndAtTheNextMarkerOrThePause) {
    struct Case {
        const char *what;
        QList<QByteArray> pieces; // fed in turn
        QList<Frame> beforePause;
        QList<Frame> atPause;
    };
    const QList<Case> cases = {
        {"ended by the next marker",
         {"TAV@04LEVEL:5TAV@07"},
         {command("TAV@04LEVEL:5"), command("TAV@07")},
         {}},
        {"ended by the pause", {"TAV@22ls -l"}, {}, {command("TAV@22ls -l")}},
        {"a marker arriving in pieces",
         {"TAV@22echo hi", "T", "A", "V", "@0", "7"},
         {command("TAV@22echo hi"), command("TAV@07")},
         {}},
        {"marker-like text that is no marker", {"TAV@22a T", "AX"}, {}, {command("TAV@22a TAX")}},
        {"bare 10 before a fixed frame",
         {"TAV@10TAV@11"},
         {command("TAV@10"), command("TAV@11")},
         {}},
        {"arguments with CR LF and braces",
         {"TAV@22echo {x}\r\nTAV@07"},
         {command("TAV@22echo {x}\r\n"), command("TAV@07")},
         {}},
        {"8-bit arguments",
         {"TAV@04SITE_NAME:Pe\xf1"
          "a"},
         {},
         {command("TAV@04SITE_NAME:Pe\xf1"
                  "a")}},
        {"two variable frames glued",
         {"TAV@04LEVEL:5TAV@04APN:x"},
         {command("TAV@04LEVEL:5")},
         {command("TAV@04APN:x")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FrameReader reader;
        QList<Frame> got;
        for (const QByteArray &piece : c.pieces) {
            got += reader.feed(piece);
        }
        EXPECT_EQ(got, c.beforePause) << show(got);
        const QList<Frame> atPause = reader.finishPending();
        EXPECT_EQ(atPause, c.atPause) << show(atPause);
    }
}

TEST(FrameReader, AlarmFrameEndsAtTwentyTwoBytesOrEarlier) {
    struct Case {
        const char *what;
        QList<QByteArray> pieces;
        QList<Frame> beforePause;
        QList<Frame> atPause;
    };
    const QByteArray full = "TAV@210000001200000003";
    const QList<Case> cases = {
        {"full length, then the next frame",
         {full + "TAV@07"},
         {command(full), command("TAV@07")},
         {}},
        {"full length, 23rd byte is data", {full + "9"}, {command(full)}, {stray("9")}},
        {"short id, ended by the next marker",
         {"TAV@21abc00000003TAV@07"},
         {command("TAV@21abc00000003"), command("TAV@07")},
         {}},
        {"empty fields, ended by the pause", {"TAV@21"}, {}, {command("TAV@21")}},
        {"marker straddling byte 22",
         {"TAV@2100000012000000TA", "V@07"},
         {command("TAV@2100000012000000"), command("TAV@07")},
         {}},
        {"marker-like tail inside 22 bytes, then the pause",
         {"TAV@2100000012000000TA"},
         {},
         {command("TAV@2100000012000000TA")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FrameReader reader;
        QList<Frame> got;
        for (const QByteArray &piece : c.pieces) {
            got += reader.feed(piece);
        }
        EXPECT_EQ(got, c.beforePause) << show(got);
        const QList<Frame> atPause = reader.finishPending();
        EXPECT_EQ(atPause, c.atPause) << show(atPause);
    }
}

TEST(FrameReader, StrayBytesAndBrokenFrames) {
    struct Case {
        const char *what;
        QByteArray stream;
        QList<Frame> expected; // after the pause
    };
    const QList<Case> cases = {
        {"bytes before a frame", "xyzTAV@07", {stray("xyz"), command("TAV@07")}},
        {"bytes after a fixed frame", "TAV@07abc", {command("TAV@07"), stray("abc")}},
        {"line end after a fixed frame",
         "TAV@03\r\nTAV@07",
         {command("TAV@03"), stray("\r\n"), command("TAV@07")}},
        {"a lone T", "T", {stray("T")}},
        {"marker without code", "TAV@", {incomplete("TAV@")}},
        {"half a code", "TAV@4", {incomplete("TAV@4")}},
        {"marker cuts the code", "TAV@TAV@07", {incomplete("TAV@"), command("TAV@07")}},
        {"marker cuts the code after one digit",
         "TAV@0TAV@07",
         {incomplete("TAV@0"), command("TAV@07")}},
        {"clock frame cut short",
         "TAV@41" + bytes({19, 3}),
         {incomplete("TAV@41" + bytes({19, 3}))}},
        {"range frame with only its code", "TAV@23", {incomplete("TAV@23")}},
        {"unknown code runs to the next marker",
         "TAV@99xyzTAV@07",
         {command("TAV@99xyz"), command("TAV@07")}},
        {"code that is not digits", "TAV@ab", {command("TAV@ab")}},
        {"lower-case marker is not a marker", "tav@07", {stray("tav@07")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read({c.stream}), c.expected) << show(read({c.stream}));
        EXPECT_EQ(read(byteByByte(c.stream)), c.expected) << show(read(byteByByte(c.stream)));
    }
}

TEST(FrameReader, RunsPastTheBoundAreCountedNotKept) {
    constexpr qsizetype kMax = FrameReader::kMaxFrameBytes;
    const QByteArray filler(kMax + 1000, 'x');
    const QByteArray head = filler.left(Frame::kShownBytes);
    struct Case {
        const char *what;
        QByteArray stream;
        QList<Frame> expected; // after the pause
    };
    const QList<Case> cases = {
        {"stray bytes just at the bound",
         filler.left(kMax) + "TAV@07",
         {stray(filler.left(kMax)), command("TAV@07")}},
        {"a variable frame just at the bound",
         "TAV@22" + filler.left(kMax - 6),
         {command("TAV@22" + filler.left(kMax - 6))}},
        {"one stray byte past it",
         filler.left(kMax + 1) + "TAV@07",
         {Frame{Kind::Stray, head, kMax + 1 - Frame::kShownBytes}, command("TAV@07")}},
        {"a variable frame past it, then a marker-like tail and the pause",
         "TAV@04" + filler + "TAV",
         {Frame{Kind::Overlong, "TAV@04" + head.left(58), kMax + 1000 + 9 - 64}}},
        {"an unknown code past it, then more frames",
         "TAV@99" + filler + "TAV@07TAV@01",
         {Frame{Kind::Overlong, "TAV@99" + head.left(58), kMax + 1000 + 6 - 64}, command("TAV@07"),
          command("TAV@01")}},
    };
    for (const Case &c : cases) {
        for (qsizetype size : {qsizetype(3), qsizetype(1000), c.stream.size()}) {
            SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(size));
            QList<QByteArray> pieces;
            for (qsizetype at = 0; at < c.stream.size(); at += size) {
                pieces.append(c.stream.mid(at, size));
            }
            EXPECT_EQ(read(pieces), c.expected);
        }
    }
}

TEST(FrameReader, LengthsOfTheCatalogue) {
    const QList<std::pair<QByteArray, int>> lengths = {
        {"01", 6}, {"02", 6},  {"03", 6}, {"04", 0},  {"05", 6}, {"07", 6},  {"08", 6},
        {"09", 6}, {"10", 0},  {"11", 6}, {"12", 6},  {"13", 6}, {"14", 6},  {"15", 6},
        {"16", 6}, {"17", 6},  {"18", 6}, {"21", 22}, {"22", 0}, {"23", 14}, {"30", 6},
        {"31", 6}, {"41", 12}, {"42", 6}, {"43", 6},  {"44", 6}, {"06", 0},  {"99", 0},
    };
    for (const auto &[code, length] : lengths) {
        EXPECT_EQ(FrameReader::frameLength(code), length) << code.toStdString();
    }
}

TEST(FrameLogText, BinaryAsHexPasswordStarredControlBytesEscaped) {
    const QList<std::pair<Frame, QByteArray>> cases = {
        {command("TAV@41" + bytes({19, 3, 7, 13, 25, 30})), "TAV@41 13 03 07 0d 19 1e"},
        {command("TAV@23" + bytes({19, 3, 7, 0, 19, 3, 7, 14})), "TAV@23 13 03 07 00 13 03 07 0e"},
        {command("TAV@04LEVEL:5"), "TAV@04LEVEL:5"},
        {command("TAV@10tavupdate:tav2019@ftp.example.net"),
         "TAV@10tavupdate:*******@ftp.example.net"},
        {command("TAV@10u:p@ss@host"), "TAV@10u:****@host"},
        {command("TAV@10u:@"), "TAV@10u:@"},
        {command("TAV@10"), "TAV@10"},
        {command("TAV@22a\rb\\c"), "TAV@22a\\x0db\\x5cc"},
        {stray("xyz"), "stray 78 79 7a"},
        {incomplete("TAV@41" + bytes({19, 3})), "incomplete TAV@41 13 03"},
        {incomplete("TAV@41"), "incomplete TAV@41"},
        {incomplete("TAV@4"), "incomplete TAV@4"},
        // What a terminal would obey is escaped: C0 and C1 controls, these also in UTF-8.
        {command("TAV@22\x1b[2J\xc2\x9b"
                 "1m\xc2\xa0\xf1\x80\x9b"
                 "2J\x9f\xa0"),
         "TAV@22\\x1b[2J\\xc2\\x9b"
         "1m\xc2\xa0\xf1\\x80\\x9b"
         "2J\\x9f\xa0"},
        {command("TAV@22" + QByteArray(100, 'a')),
         "TAV@22" + QByteArray(58, 'a') + " ... (+42 bytes)"},
        {stray(QByteArray(64, 'x') + 'y'),
         "stray " + QByteArray(64, 'x').toHex(' ') + " ... (+1 bytes)"},
        {Frame{Kind::Stray, QByteArray(64, 'x'), 7},
         "stray " + QByteArray(64, 'x').toHex(' ') + " ... (+7 bytes)"},
        {Frame{Kind::Overlong, "TAV@04LEVEL:" + QByteArray(52, '\r'), 9},
         "overlong TAV@04LEVEL:" + QByteArray(52, '\r').replace("\r", "\\x0d") + " ... (+9 bytes)"},
        // An account cut off may hold its password anywhere.
        {Frame{Kind::Overlong, "TAV@10u:" + QByteArray(56, 'p'), 100},
         "overlong TAV@10 ... (+158 bytes)"},
        {command("TAV@10u:" + QByteArray(100, 'p') + "@h"),
         "TAV@10u:" + QByteArray(56, '*') + " ... (+46 bytes)"},
    };
    for (const auto &[frame, text] : cases) {
        EXPECT_EQ(frame.logText(), text);
    }
}

} // namespace

#include "printers.h"
#include "replychunker.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

namespace {

QList<qsizetype> sizes(const QList<QByteArray> &pieces) {
    QList<qsizetype> out;
    for (const QByteArray &p : pieces) {
        out.append(p.size());
    }
    return out;
}

QByteArray joined(const QList<QByteArray> &pieces) {
    QByteArray out;
    for (const QByteArray &p : pieces) {
        out += p;
    }
    return out;
}

const QByteArray kText = "{Received ask parameters}\r\n{Parameters: 26}\r\n{LEVEL:3}\r\n";

TEST(ReplyChunker, FixedSizes) {
    const QList<std::pair<int, QList<qsizetype>>> cases = {
        {5, {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 1}},
        {1, QList<qsizetype>(kText.size(), 1)},
        {29, {29, 27}},
        {56, {56}},
        {1000, {56}},
    };
    ASSERT_EQ(kText.size(), 56);
    for (const auto &[size, expected] : cases) {
        ReplyChunker chunker(size);
        const QList<QByteArray> pieces = chunker.split(kText);
        EXPECT_EQ(sizes(pieces), expected) << "size " << size;
        EXPECT_EQ(joined(pieces), kText);
    }
}

TEST(ReplyChunker, OffKeepsOnePieceAndEmptyGivesNone) {
    ReplyChunker off;
    EXPECT_FALSE(off.cuts());
    EXPECT_EQ(off.split(kText), QList<QByteArray>{kText});
    EXPECT_TRUE(off.split({}).isEmpty());
    ReplyChunker five(5);
    EXPECT_TRUE(five.split({}).isEmpty());
}

TEST(ReplyChunker, RandomSizesAreBoundedAndRepeatable) {
    const QByteArray text = kText.repeated(20);
    for (const auto &[most, seed] : QList<std::pair<int, quint32>>{{0, 1}, {4, 1}, {0, 42}}) {
        const int limit = most > 0 ? most : ReplyChunker::kDefaultRandomMax;
        ReplyChunker first(most, seed);
        ReplyChunker again(most, seed);
        EXPECT_TRUE(first.cuts());
        const QList<QByteArray> pieces = first.split(text);
        EXPECT_EQ(joined(pieces), text);
        EXPECT_EQ(sizes(again.split(text)), sizes(pieces)) << "seed " << seed;
        EXPECT_GT(pieces.size(), text.size() / limit);
        bool varied = false;
        for (const QByteArray &p : pieces) {
            ASSERT_GE(p.size(), 1);
            ASSERT_LE(p.size(), limit);
            varied = varied || p.size() != pieces.first().size();
        }
        EXPECT_TRUE(varied) << "all pieces the same size";
    }
    // The generator runs on across replies, so a second reply is cut differently.
    ReplyChunker chunker(0, 7);
    EXPECT_NE(sizes(chunker.split(text)), sizes(chunker.split(text)));
}

} // namespace

#include "base/text8.h"

#include <gtest/gtest.h>

TEST(Text8, EveryByteRoundTripsThroughDisplayText) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(static_cast<char>(b));
    }
    const QString shown = text8::toDisplay(all);
    ASSERT_EQ(shown.size(), 256);
    const auto back = text8::fromDisplay(shown);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bytes, all);
}

TEST(Text8, HighBytesFollowWindows1252) {
    EXPECT_EQ(text8::toDisplay("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(text8::toDisplay("\x9F"), QString(QChar(0x0178)));
    EXPECT_EQ(text8::toDisplay("\xF1"), QStringLiteral("ñ"));
    EXPECT_EQ(text8::toDisplay("\x81"), QString(QChar(0x81)));
    EXPECT_EQ(text8::fromDisplay(QStringLiteral("Año €")).bytes, QByteArray("A\xF1o \x80"));
}

TEST(Text8, NulIsKeptAsACharacter) {
    const QByteArray bytes("a\0b", 3);
    EXPECT_EQ(text8::toDisplay(bytes).size(), 3);
    EXPECT_EQ(text8::fromDisplay(text8::toDisplay(bytes)).bytes, bytes);
}

TEST(Text8, RefusesCharactersOutsideTheCodePage) {
    const auto greek = text8::fromDisplay(QStringLiteral("ls \u03A9"));
    EXPECT_FALSE(greek.ok());
    EXPECT_EQ(*greek.unmappable, QChar(0x03A9));
    EXPECT_TRUE(greek.bytes.isEmpty());
    EXPECT_FALSE(text8::fromDisplay(QString(QChar(0x0100))).ok());
}

#include "commands/parametertable.h"

#include <gtest/gtest.h>

namespace {

void expectAllEmpty(const ParameterTable &table) {
    for (int slot = 0; slot < ParameterTable::kSlots; ++slot) {
        EXPECT_TRUE(table.name(slot).isEmpty()) << slot;
        EXPECT_TRUE(table.value(slot).isEmpty()) << slot;
    }
}

} // namespace

TEST(ParameterTable, StartsEmpty) {
    const ParameterTable table;
    EXPECT_EQ(table.count(), 0);
    expectAllEmpty(table);
}

TEST(ParameterTable, HeaderIsSkippedAndLinesFillInOrder) {
    ParameterTable table;
    table.fill("Parameters");
    EXPECT_EQ(table.count(), 0);
    table.fill("A:1");
    EXPECT_EQ(table.count(), 1);
    table.fill("B:2");
    EXPECT_EQ(table.count(), 2);
    EXPECT_EQ(table.name(0), QByteArray("A"));
    EXPECT_EQ(table.value(0), QByteArray("1"));
    EXPECT_EQ(table.name(1), QByteArray("B"));
    EXPECT_EQ(table.value(1), QByteArray("2"));
    EXPECT_TRUE(table.name(2).isEmpty());
    EXPECT_TRUE(table.value(2).isEmpty());
}

TEST(ParameterTable, SplitsAtTheFirstColonAndTrimsNothing) {
    const struct {
        QByteArray line;
        QByteArray name;
        QByteArray value;
    } cases[] = {
        {"X:1:2", "X", "1:2"},
        {":5", "", "5"},
        {"A:", "A", ""},
        {":", "", ""},
        {" name : value \t", " name ", " value \t"},
        {"URL:ftp://host:21/x", "URL", "ftp://host:21/x"},
        // Only the exact, case-sensitive markers make a header.
        {"parameters:1", "parameters", "1"},
        {"received ask PARAMETERS: 3", "received ask PARAMETERS", " 3"},
        // 8-bit text stays as the bytes received.
        {"Ciudad:Espa\xF1"
         "a",
         "Ciudad",
         "Espa\xF1"
         "a"},
        {"\x80\xFF:\xE9\x01", "\x80\xFF", "\xE9\x01"},
        {QByteArray("N\0:v\0w", 6), QByteArray("N\0", 2), QByteArray("v\0w", 3)},
        // Up to the bound, a name and a value are kept whole.
        {QByteArray(4096, 'N') + ':' + QByteArray(4095, 'v') + ':', QByteArray(4096, 'N'),
         QByteArray(4095, 'v') + ':'},
    };
    for (const auto &c : cases) {
        ParameterTable table;
        table.fill(c.line);
        EXPECT_EQ(table.count(), 1) << c.line.toHex().constData();
        EXPECT_EQ(table.name(0), c.name) << c.line.toHex().constData();
        EXPECT_EQ(table.value(0), c.value) << c.line.toHex().constData();
    }
}

TEST(ParameterTable, IgnoresHeadersAndLinesWithoutColon) {
    const QByteArray ignored[] = {
        "",
        "no colon here",
        "Parameters",
        "Parameters: 5",
        "List of Parameters:x",
        "Received ask parameters: 3",
        "OK Received ask parameters:A:1",
        "Name:Parameters",
        // A name or value past the bound is no parameter.
        QByteArray(4097, 'N') + ":1",
        "N:" + QByteArray(4097, 'v'),
    };
    for (const QByteArray &line : ignored) {
        ParameterTable table;
        table.fill("A:1");
        table.fill(line);
        const std::string label = line.left(40).toStdString();
        EXPECT_EQ(table.count(), 1) << label;
        EXPECT_EQ(table.name(0), QByteArray("A")) << label;
        EXPECT_EQ(table.value(0), QByteArray("1")) << label;
        EXPECT_TRUE(table.name(1).isEmpty()) << label;
        EXPECT_TRUE(table.value(1).isEmpty()) << label;
    }
}

TEST(ParameterTable, FromThe201stLineTheLastSlotIsOverwritten) {
    ParameterTable table;
    for (int i = 0; i < 205; ++i) {
        table.fill(QByteArray("P") + QByteArray::number(i) + ":v" + QByteArray::number(i));
        EXPECT_EQ(table.count(), std::min(i + 1, 200)) << i;
        EXPECT_EQ(table.name(std::min(i, 200)), QByteArray("P") + QByteArray::number(i)) << i;
    }
    EXPECT_EQ(table.count(), 200);
    for (int slot = 0; slot < 200; ++slot) {
        EXPECT_EQ(table.name(slot), QByteArray("P") + QByteArray::number(slot)) << slot;
        EXPECT_EQ(table.value(slot), QByteArray("v") + QByteArray::number(slot)) << slot;
    }
    EXPECT_EQ(table.name(200), QByteArray("P204"));
    EXPECT_EQ(table.value(200), QByteArray("v204"));
}

TEST(ParameterTable, RestartEmptiesEverySlot) {
    ParameterTable table;
    for (int i = 0; i < 203; ++i) {
        table.fill("N" + QByteArray::number(i) + ":" + QByteArray::number(i));
    }
    ASSERT_EQ(table.count(), 200);
    table.restart();
    EXPECT_EQ(table.count(), 0);
    expectAllEmpty(table);

    // A shorter second listing shows nothing of the first one.
    table.fill("A:1");
    table.fill("B:2");
    EXPECT_EQ(table.count(), 2);
    EXPECT_EQ(table.name(1), QByteArray("B"));
    EXPECT_TRUE(table.name(2).isEmpty());
    EXPECT_TRUE(table.value(2).isEmpty());
}

TEST(ParameterTable, SlotsOutsideTheTableReadEmpty) {
    ParameterTable table;
    table.fill("A:1");
    for (int slot : {-1, ParameterTable::kSlots, 1000}) {
        EXPECT_TRUE(table.name(slot).isEmpty()) << slot;
        EXPECT_TRUE(table.value(slot).isEmpty()) << slot;
    }
}

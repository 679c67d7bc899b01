#include "loggers/target.h"

#include <gtest/gtest.h>

TEST(Target, AcceptsAddressesAsOperatorsTypeThem) {
    const struct {
        QString host, port, wantHost;
        quint16 wantPort;
    } cases[] = {
        {"10.0.0.5", "4001", "10.0.0.5", 4001},
        {" 10.0.0.5", " 4001", "10.0.0.5", 4001},
        {"tav-3.example.net\t", "1\r", "tav-3.example.net", 1},
        {"h", "65535", "h", 65535},
        {"h", "00080", "h", 80},
    };
    for (const auto &c : cases) {
        const auto target = parseTarget(c.host, c.port);
        ASSERT_TRUE(target.has_value()) << c.host.toStdString() << ":" << c.port.toStdString();
        EXPECT_EQ(target->host, c.wantHost);
        EXPECT_EQ(target->port, c.wantPort);
    }
}

TEST(Target, RefusesWhatIsNoAddress) {
    const QString nul = QStringLiteral("40") + QChar(0) + QStringLiteral("01");
    const std::pair<QString, QString> cases[] = {
        {"h", "0"},
        {"h", "65536"},
        {"h", "70000"},
        {"h", "abc"},
        {"h", ""},
        {"h", "-1"},
        {"h", "+80"},
        {"h", "4 001"},
        {"h", "4001.0"},
        {"h", nul},
        {"", "4001"},
        {"  ", "4001"},
        {"a\x01"
         "b",
         "1"},
        {QStringLiteral("10.0.0.5") + QChar(0), "4001"},
        {"h", "999999"},
        {"h", QStringLiteral("\u0664\u0660")}, // Arabic-Indic digits
        {QString(254, 'a'), "4001"},           // longer than any host name
    };
    for (const auto &[host, port] : cases) {
        EXPECT_FALSE(parseTarget(host, port).has_value())
            << host.toStdString() << ":" << port.toStdString();
    }
}

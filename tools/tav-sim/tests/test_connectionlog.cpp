#include "connectionlog.h"
#include "printers.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

namespace {

// Lines given one a character ("a" is "<- a"), then what the log holds once closed.
TEST(ConnectionLog, RepeatsAreCountedAndTheBudgetHolds) {
    const struct {
        const char *given;
        qsizetype maxBytes;
        QList<QByteArray> written;
    } cases[] = {
        {"abc", 1000, {"<- a", "<- b", "<- c"}},
        {"aaaab", 1000, {"<- a", "(the line above 3 more times)", "<- b"}},
        {"abababab", 1000, {"<- a", "<- b", "(the 2 lines above 3 more times)"}},
        // A cycle begun but not finished comes out as it came.
        {"ababac", 1000, {"<- a", "<- b", "(the 2 lines above 1 more times)", "<- a", "<- c"}},
        {"abac", 1000, {"<- a", "<- b", "<- a", "<- c"}},
        {"abaab", 1000, {"<- a", "<- b", "<- a", "(the line above 1 more times)", "<- b"}},
        // Nine bytes a line with the prefix and line end: two fit, the rest is counted.
        {"abcdaaaa",
         20,
         {"<- a", "<- b",
          "log limit of 20 bytes for this connection reached; the rest is counted"}},
    };
    for (const auto &c : cases) {
        QList<QByteArray> lines;
        ConnectionLog log([&](const QByteArray &line) { lines.append(line); }, "[N] ", c.maxBytes);
        for (const char *at = c.given; *at; ++at) {
            log.line(QByteArray("<- ") + *at);
        }
        log.close("connection closed");
        QList<QByteArray> expected;
        for (const QByteArray &line : c.written) {
            expected.append("[N] " + line);
        }
        expected.append(c.maxBytes == 20 ? "[N] connection closed (6 lines, 54 bytes not logged)"
                                         : "[N] connection closed");
        EXPECT_EQ(lines, expected) << c.given;
    }
}

} // namespace

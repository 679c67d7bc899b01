#include "printers.h"
#include "simoptions.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

SimOptions parsedOk(const QStringList &args) {
    const ParsedOptions parsed = SimOptions::parse(args);
    EXPECT_TRUE(parsed.options.has_value())
        << args.join(' ').toStdString() << ": " << parsed.error.toStdString();
    EXPECT_FALSE(parsed.help);
    return parsed.options.value_or(SimOptions{});
}

TEST(SimOptions, Defaults) {
    const SimOptions o = parsedOk({});
    EXPECT_EQ(o.ports, QList<quint16>{4001});
    EXPECT_EQ(o.idlePauseMs, 150);
    EXPECT_EQ(o.traceIntervalSeconds, 5.0);
    EXPECT_EQ(o.restartSeconds, 20.0);
    EXPECT_EQ(o.chunkSize, 0);
    EXPECT_FALSE(o.randomChunkSeed.has_value());
    EXPECT_EQ(o.delayMs, 0);
    EXPECT_EQ(o.dropAfter, 0);
    EXPECT_EQ(o.flood, 0);
    EXPECT_FALSE(o.deadPort);
    EXPECT_EQ(o.parentPid, 0);
    EXPECT_FALSE(o.exitWithParent);
}

TEST(SimOptions, Ports) {
    const QList<std::pair<QStringList, QList<quint16>>> cases = {
        {{"--port", "0"}, {0}},
        {{"--port", "4005", "--port", "0", "--port=4007"}, {4005, 0, 4007}},
        {{"--loggers", "3", "--base-port", "5000"}, {5000, 5001, 5002}},
        {{"--loggers", "2"}, {4001, 4002}},
        {{"--loggers=2", "--base-port=0"}, {0, 0}},
        {{"--loggers", "1", "--base-port", "65535"}, {65535}},
        {{"--port", "0", "--port", "0"}, {0, 0}},
    };
    for (const auto &[args, ports] : cases) {
        EXPECT_EQ(parsedOk(args).ports, ports) << args.join(' ').toStdString();
    }
}

TEST(SimOptions, EveryFaultAndLifetimeOption) {
    const SimOptions o = parsedOk({"--chunk",
                                   "7",
                                   "--random-chunks",
                                   "4294967295",
                                   "--delay",
                                   "20",
                                   "--drop-after",
                                   "3",
                                   "--flood",
                                   "1000",
                                   "--dead-port",
                                   "--drop-mid-reply",
                                   "4",
                                   "--mute",
                                   "--trace-interval",
                                   "0.5",
                                   "--restart-seconds=1",
                                   "--idle-ms",
                                   "80",
                                   "--chunk-gap",
                                   "0",
                                   "--parent-pid",
                                   "123",
                                   "--exit-with-parent",
                                   "--name",
                                   "Pump 3"});
    EXPECT_EQ(o.chunkSize, 7);
    EXPECT_EQ(o.randomChunkSeed, 4294967295u);
    EXPECT_EQ(o.delayMs, 20);
    EXPECT_EQ(o.dropAfter, 3);
    EXPECT_EQ(o.flood, 1000);
    EXPECT_TRUE(o.deadPort);
    EXPECT_EQ(o.dropMidReply, 4);
    EXPECT_TRUE(o.mute);
    EXPECT_EQ(o.traceIntervalSeconds, 0.5);
    EXPECT_EQ(o.restartSeconds, 1.0);
    EXPECT_EQ(o.idlePauseMs, 80);
    EXPECT_EQ(o.chunkGapMs, 0);
    EXPECT_EQ(o.parentPid, 123);
    EXPECT_TRUE(o.exitWithParent);
    EXPECT_EQ(o.loggerName(0), "Pump 3");
}

TEST(SimOptions, RefusedCommandLines) {
    const QList<std::pair<QStringList, QString>> cases = {
        {{"--port", "70000"}, "--port: needs a whole number from 0 to 65535"},
        {{"--port"}, "--port: needs a whole number from 0 to 65535"},
        {{"--port", "x"}, "--port: needs a whole number from 0 to 65535"},
        {{"--port", "-1"}, "--port: needs a whole number from 0 to 65535"},
        {{"--bogus"}, "unknown option --bogus (see --help)"},
        {{"4001"}, "unknown option 4001 (see --help)"},
        {{"--port", "1", "--loggers", "2"}, "use either --port or --loggers, not both"},
        {{"--base-port", "5"}, "--base-port needs --loggers"},
        {{"--port", "4001", "--port", "4001"}, "port 4001 given twice"},
        {{"--loggers", "2", "--base-port", "65535"}, "--base-port: the ports run past 65535"},
        {{"--loggers", "0"}, "--loggers: needs a whole number from 1 to 100"},
        {{"--dead-port=1"}, "--dead-port: takes no value"},
        {{"--mute=1"}, "--mute: takes no value"},
        {{"--drop-mid-reply", "0"}, "--drop-mid-reply: needs a whole number from 1 to 1000000"},
        {{"--name", "A", "--name", "B"}, "more names than loggers"},
        {{"--name", " "}, "--name: needs a name"},
        {{"--trace-interval", "-1"}, "--trace-interval: needs seconds from 0 to 86400"},
        {{"--restart-seconds", "inf"}, "--restart-seconds: needs seconds from 0 to 86400"},
        {{"--chunk", "0"}, "--chunk: needs a whole number from 1 to 1048576"},
        {{"--drop-after", "0"}, "--drop-after: needs a whole number from 1 to 1000000"},
        {{"--idle-ms", "0"}, "--idle-ms: needs a whole number from 1 to 60000"},
        {{"--random-chunks", "4294967296"},
         "--random-chunks: needs a whole number from 0 to 4294967295"},
        {{"--parent-pid", "0"}, "--parent-pid: needs a whole number from 1 to 2147483647"},
    };
    for (const auto &[args, error] : cases) {
        const ParsedOptions parsed = SimOptions::parse(args);
        EXPECT_FALSE(parsed.options.has_value()) << args.join(' ').toStdString();
        EXPECT_FALSE(parsed.help);
        EXPECT_EQ(parsed.error, error) << args.join(' ').toStdString();
    }
}

TEST(SimOptions, HelpExplainsEveryOption) {
    for (const QStringList &args : {QStringList{"--help"}, QStringList{"--port", "1", "-h"}}) {
        const ParsedOptions parsed = SimOptions::parse(args);
        EXPECT_TRUE(parsed.help);
        EXPECT_FALSE(parsed.options.has_value());
    }
    const QString help = SimOptions::helpText();
    for (const char *option : {"--port N",
                               "--loggers N",
                               "--base-port P",
                               "--name NAME",
                               "--idle-ms MS",
                               "--trace-interval S",
                               "--restart-seconds S",
                               "--chunk N",
                               "--random-chunks SEED",
                               "--chunk-gap MS",
                               "--delay MS",
                               "--drop-after N",
                               "--drop-mid-reply N",
                               "--mute",
                               "--flood N",
                               "--dead-port",
                               "--parent-pid PID",
                               "--exit-with-parent",
                               "--help",
                               "SIGTERM"}) {
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    }
}

TEST(SimOptions, LoggerNames) {
    SimOptions o;
    o.names = {"Pump"};
    EXPECT_EQ(o.loggerName(0), "Pump");
    EXPECT_EQ(o.loggerName(1), "South");
    EXPECT_EQ(o.loggerName(7), "Valley");
    EXPECT_EQ(o.loggerName(8), "Logger9");
}

} // namespace

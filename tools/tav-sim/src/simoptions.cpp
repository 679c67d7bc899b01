#include "simoptions.h"

#include <QSet>

#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr std::array<const char *, 8> kDefaultNames = {
    "North", "South", "East", "West", "Central", "Harbour", "Ridge", "Valley",
};

// Walks the arguments, taking "--name value" and "--name=value" alike.
class ArgumentCursor {
public:
    explicit ArgumentCursor(const QStringList &arguments) : m_arguments(arguments) {}

    bool atEnd() const { return m_index >= m_arguments.size(); }
    // Next option name; its value, if written with "=", is kept for value().
    QString next() {
        QString argument = m_arguments.at(m_index++);
        m_inlineValue.reset();
        const qsizetype eq = argument.indexOf('=');
        if (argument.startsWith(QLatin1String("--")) && eq > 0) {
            m_inlineValue = argument.mid(eq + 1);
            argument.truncate(eq);
        }
        return argument;
    }
    bool hasInlineValue() const { return m_inlineValue.has_value(); }
    std::optional<QString> value() {
        if (m_inlineValue) {
            return std::exchange(m_inlineValue, std::nullopt);
        }
        if (atEnd()) {
            return std::nullopt;
        }
        return m_arguments.at(m_index++);
    }

private:
    const QStringList &m_arguments;
    qsizetype m_index = 0;
    std::optional<QString> m_inlineValue;
};

std::optional<qint64> wholeNumber(const QString &text, qint64 least, qint64 most) {
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < least || n > most) {
        return std::nullopt;
    }
    return n;
}

std::optional<double> seconds(const QString &text) {
    bool ok = false;
    const double s = text.toDouble(&ok);
    if (!ok || !std::isfinite(s) || s < 0 || s > 86400) {
        return std::nullopt;
    }
    return s;
}

} // namespace

QString SimOptions::helpText() {
    return QStringLiteral(
        "Usage: tav-sim [options]\n"
        "Simulates TAV data loggers on 127.0.0.1 so the Mirvane console can be used and\n"
        "tested without a logger. Prints \"listening <name> 127.0.0.1:<port>\" for each\n"
        "logger on stdout once it listens; logs frames and replies on stderr.\n"
        "\n"
        "Loggers:\n"
        "  --port N              one logger on port N (repeatable; 0 = any free port).\n"
        "                        Default: one logger on port 4001.\n"
        "  --loggers N           N loggers on consecutive ports from --base-port.\n"
        "  --base-port P         first port for --loggers (default 4001; 0 = any free\n"
        "                        port for each).\n"
        "  --name NAME           name of the next logger (repeatable, in port order);\n"
        "                        default names North, South, East, West, ...\n"
        "\n"
        "Behaviour:\n"
        "  --idle-ms MS          a frame of variable length that is not followed by\n"
        "                        another frame ends after this pause (default 150).\n"
        "  --trace-interval S    seconds between unsolicited trace lines (default 5;\n"
        "                        0 = none; fractions allowed).\n"
        "  --restart-seconds S   after reboot (05) or update (11, 31) the logger closes\n"
        "                        the link and closes every new connection at once for\n"
        "                        S seconds (default 20).\n"
        "\n"
        "Faults:\n"
        "  --chunk N             write every reply in pieces of N bytes, each written\n"
        "                        separately.\n"
        "  --random-chunks SEED  write replies in pieces of random size (1 to the\n"
        "                        --chunk size, or 1 to 32), reproducible from SEED.\n"
        "  --chunk-gap MS        pause between pieces (default 5).\n"
        "  --delay MS            pause before each reply.\n"
        "  --drop-after N        drop the link when the Nth frame of a connection\n"
        "                        arrives, without answering it.\n"
        "  --drop-mid-reply N    answer the Nth frame of a connection with the first\n"
        "                        half of its reply, then drop the link.\n"
        "  --mute                take connections and frames but never answer, not even\n"
        "                        the goodbye (02), and send no trace lines.\n"
        "  --flood N             right after the greeting (01), send N trace lines as fast\n"
        "                        as the link takes them (load test; made as it drains,\n"
        "                        so any N up to 10000000 takes little memory).\n"
        "  --dead-port           listen, but let no connection through: connection\n"
        "                        attempts hang until the console gives up.\n"
        "\n"
        "Lifetime:\n"
        "  --parent-pid PID      exit when process PID is gone (checked every 500 ms).\n"
        "  --exit-with-parent    exit when the process that started tav-sim is gone.\n"
        "  SIGTERM and SIGINT stop the simulator cleanly.\n"
        "  -h, --help            show this text.\n");
}

ParsedOptions SimOptions::parse(const QStringList &arguments) {
    SimOptions o;
    QList<quint16> ports;
    std::optional<qint64> loggers;
    std::optional<qint64> basePort;
    ArgumentCursor cursor(arguments);

    while (!cursor.atEnd()) {
        const QString name = cursor.next();
        auto fail = [&](const QString &why) {
            return ParsedOptions{std::nullopt, name + ": " + why};
        };
        auto number = [&](qint64 least, qint64 most) -> std::optional<qint64> {
            const std::optional<QString> text = cursor.value();
            return text ? wholeNumber(*text, least, most) : std::nullopt;
        };
        const QString range = QStringLiteral("needs a whole number from %1 to %2");

        if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            return ParsedOptions{std::nullopt, {}, true};
        }
        if (name == QLatin1String("--dead-port") || name == QLatin1String("--exit-with-parent") ||
            name == QLatin1String("--mute")) {
            if (cursor.hasInlineValue()) {
                return fail(QStringLiteral("takes no value"));
            }
            (name == QLatin1String("--dead-port") ? o.deadPort
             : name == QLatin1String("--mute")    ? o.mute
                                                  : o.exitWithParent) = true;
        } else if (name == QLatin1String("--port")) {
            const auto n = number(0, 65535);
            if (!n) {
                return fail(range.arg(0).arg(65535));
            }
            ports.append(static_cast<quint16>(*n));
        } else if (name == QLatin1String("--loggers")) {
            if (!(loggers = number(1, 100))) {
                return fail(range.arg(1).arg(100));
            }
        } else if (name == QLatin1String("--base-port")) {
            if (!(basePort = number(0, 65535))) {
                return fail(range.arg(0).arg(65535));
            }
        } else if (name == QLatin1String("--name")) {
            const std::optional<QString> text = cursor.value();
            if (!text || text->trimmed().isEmpty()) {
                return fail(QStringLiteral("needs a name"));
            }
            o.names.append(*text);
        } else if (name == QLatin1String("--trace-interval") ||
                   name == QLatin1String("--restart-seconds")) {
            const std::optional<QString> text = cursor.value();
            const std::optional<double> s = text ? seconds(*text) : std::nullopt;
            if (!s) {
                return fail(QStringLiteral("needs seconds from 0 to 86400"));
            }
            (name == QLatin1String("--trace-interval") ? o.traceIntervalSeconds
                                                       : o.restartSeconds) = *s;
        } else if (name == QLatin1String("--random-chunks")) {
            const auto n = number(0, std::numeric_limits<quint32>::max());
            if (!n) {
                return fail(range.arg(0).arg(std::numeric_limits<quint32>::max()));
            }
            o.randomChunkSeed = static_cast<quint32>(*n);
        } else if (name == QLatin1String("--parent-pid")) {
            const auto n = number(1, std::numeric_limits<qint32>::max());
            if (!n) {
                return fail(range.arg(1).arg(std::numeric_limits<qint32>::max()));
            }
            o.parentPid = *n;
        } else {
            struct IntOption {
                const char *name;
                int *target;
                qint64 least;
                qint64 most;
            };
            const std::array<IntOption, 7> intOptions = {{
                {"--idle-ms", &o.idlePauseMs, 1, 60000},
                {"--chunk", &o.chunkSize, 1, 1 << 20},
                {"--chunk-gap", &o.chunkGapMs, 0, 60000},
                {"--delay", &o.delayMs, 0, 600000},
                {"--drop-after", &o.dropAfter, 1, 1000000},
                {"--drop-mid-reply", &o.dropMidReply, 1, 1000000},
                {"--flood", &o.flood, 0, 10000000},
            }};
            const IntOption *match = nullptr;
            for (const IntOption &candidate : intOptions) {
                if (name == QLatin1String(candidate.name)) {
                    match = &candidate;
                }
            }
            if (!match) {
                return ParsedOptions{std::nullopt,
                                     QStringLiteral("unknown option %1 (see --help)").arg(name)};
            }
            const auto n = number(match->least, match->most);
            if (!n) {
                return fail(range.arg(match->least).arg(match->most));
            }
            *match->target = static_cast<int>(*n);
        }
    }

    if (loggers && !ports.isEmpty()) {
        return ParsedOptions{std::nullopt,
                             QStringLiteral("use either --port or --loggers, not both")};
    }
    if (basePort && !loggers) {
        return ParsedOptions{std::nullopt, QStringLiteral("--base-port needs --loggers")};
    }
    if (loggers) {
        const qint64 base = basePort.value_or(kDefaultPort);
        if (base != 0 && base + *loggers - 1 > 65535) {
            return ParsedOptions{std::nullopt,
                                 QStringLiteral("--base-port: the ports run past 65535")};
        }
        for (qint64 i = 0; i < *loggers; ++i) {
            ports.append(static_cast<quint16>(base == 0 ? 0 : base + i));
        }
    }
    if (!ports.isEmpty()) {
        o.ports = ports;
    }
    QSet<quint16> seen;
    for (quint16 port : std::as_const(o.ports)) {
        if (port != 0 && seen.contains(port)) {
            return ParsedOptions{std::nullopt, QStringLiteral("port %1 given twice").arg(port)};
        }
        seen.insert(port);
    }
    if (o.names.size() > o.ports.size()) {
        return ParsedOptions{std::nullopt, QStringLiteral("more names than loggers")};
    }
    return ParsedOptions{o, {}};
}

QByteArray SimOptions::loggerName(int index) const {
    if (index < names.size()) {
        return names.at(index).toLatin1();
    }
    if (index < static_cast<int>(kDefaultNames.size())) {
        return kDefaultNames[static_cast<size_t>(index)];
    }
    return "Logger" + QByteArray::number(index + 1);
}

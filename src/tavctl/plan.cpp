#include "tavctl/plan.h"

#include "base/text8.h"
#include "base/texts.h"
#include "commands/argumentchecks.h"
#include "commands/catalogue.h"
#include "commands/frames.h"
#include "commands/utctime.h"
#include "tavctl/texts.h"

#include <array>

namespace tavctl {
namespace {

struct FixedName {
    const char *name;
    catalogue::Command command;
};

constexpr std::array<FixedName, 8> kFixed = {{
    {"version", catalogue::Command::Version},
    {"sync-server", catalogue::Command::SyncWithServer},
    {"ntp", catalogue::Command::Ntp},
    {"ask-devices", catalogue::Command::AskDevices},
    {"gprs-signal", catalogue::Command::AskGprsSignal},
    {"show-log", catalogue::Command::ShowLog},
    {"register", catalogue::Command::RegisterLogger},
    {"apply", catalogue::Command::ApplyParameters},
}};

constexpr std::array<CommandHelp, 18> kHelp = {{
    {"loggers", "", "print the list as read (identifier, host, port); no connection"},
    {"ping", "", "connect, greet, say goodbye; report the time to connect"},
    {"version", "", "the logger's version (\"TAV@07\")"},
    {"sync-server", "", "sync with the server (\"TAV@09\")"},
    {"ntp", "", "NTP clock sync (\"TAV@15\")"},
    {"ask-devices", "", "ask the devices (\"TAV@18\")"},
    {"gprs-signal", "", "ask the GPRS signal (\"TAV@42\")"},
    {"show-log", "", "the logger's log (\"TAV@17\")"},
    {"register", "", "register the logger (\"TAV@30\")"},
    {"apply", "", "make the logger use changed parameters (\"TAV@12\")"},
    {"sync-pc", "", "set the logger's clock to the PC's, in UTC (\"TAV@41\")"},
    {"params", "", "the parameter listing (\"TAV@03\"); --save DIR keeps DIR/<logger>.params"},
    {"set", "NAME=VALUE...", "\"TAV@04\" NAME:VALUE per pair; --from FILE, --apply"},
    {"alarm", "ID CODE", "the test alarm (\"TAV@21\"), checked as the console checks it"},
    {"linux", "TEXT", "a command line for the logger's Linux system (\"TAV@22\")"},
    {"reboot", "", "restart the logger (\"TAV@05\"); needs --yes"},
    {"update", "", "take the received application into use (\"TAV@11\"); needs --yes"},
    {"local-update", "", "local receive and update (\"TAV@31\"); needs --yes"},
}};

PlanOutcome refuse(const QString &why) {
    return {std::nullopt, why};
}

// Operator text as wire bytes; nullopt (with the console's message) for a character the
// code page cannot carry.
std::optional<QByteArray> wireBytes(const QString &text, QString &error) {
    const text8::Encoded encoded = text8::fromDisplay(text);
    if (!encoded.ok()) {
        error = ::texts::unmappable(*encoded.unmappable);
        return std::nullopt;
    }
    return encoded.bytes;
}

PlanOutcome setPlan(const PlanRequest &request, Plan plan) {
    std::vector<ParameterPair> pairs = request.fromFile;
    for (const QString &argument : request.arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        if (equals < 0) {
            return refuse(texts::pairWithoutEquals(argument));
        }
        QString error;
        const auto name = wireBytes(argument.first(equals), error);
        const auto value = name ? wireBytes(argument.sliced(equals + 1), error) : std::nullopt;
        if (!value) {
            return refuse(error);
        }
        pairs.emplace_back(*name, *value);
    }
    if (pairs.empty()) {
        return refuse(texts::kNoPairs);
    }
    for (const auto &[name, value] : pairs) {
        const argumentchecks::FrameCheck check = argumentchecks::checkParameter(name, value);
        if (!check.ok()) {
            return refuse(check.error);
        }
        plan.frames.push_back(check.frame);
    }
    if (request.apply) {
        plan.frames.push_back(
            frames::command(catalogue::entry(catalogue::Command::ApplyParameters).fixedCode));
    }
    return {std::move(plan), {}};
}

} // namespace

std::span<const CommandHelp> commandHelp() {
    return kHelp;
}

PlanOutcome buildPlan(const PlanRequest &request, const Clock &clock) {
    const QString &command = request.command;
    const QStringList &args = request.arguments;
    Plan plan;
    plan.command = command;
    if (command.isEmpty()) {
        return refuse(texts::kNoCommand);
    }
    const bool isSet = command == QLatin1String("set");
    if ((request.apply || request.hasFromFile) && !isSet) {
        return refuse(
            texts::onlyWith(request.apply ? QStringLiteral("apply") : QStringLiteral("from"),
                            QStringLiteral("set")));
    }
    if (isSet) {
        return setPlan(request, std::move(plan));
    }
    const auto takes = [&](qsizetype count, const QString &usage) -> std::optional<PlanOutcome> {
        if (args.size() == count) {
            return std::nullopt;
        }
        return refuse(texts::wrongArgumentCount(command, usage));
    };
    if (command == QLatin1String("alarm")) {
        if (auto wrong = takes(2, QStringLiteral("ID CODE"))) {
            return *wrong;
        }
        const argumentchecks::AlarmCheck check = argumentchecks::checkAlarm(args[0], args[1]);
        if (!check.ok()) {
            return refuse(check.error);
        }
        plan.frames.push_back(frames::testAlarm(check.id.toLatin1(), check.code.toLatin1()));
        return {std::move(plan), {}};
    }
    if (command == QLatin1String("linux")) {
        if (auto wrong = takes(1, QStringLiteral("one TEXT (quote the command line)"))) {
            return *wrong;
        }
        QString error;
        const auto line = wireBytes(args[0], error);
        if (!line) {
            return refuse(error);
        }
        const argumentchecks::FrameCheck check = argumentchecks::checkLinuxCommand(*line);
        if (!check.ok()) {
            return refuse(check.error);
        }
        plan.frames.push_back(check.frame);
        return {std::move(plan), {}};
    }
    if (auto wrong = takes(0, QStringLiteral("no arguments"))) {
        return *wrong;
    }
    if (command == QLatin1String("loggers") || command == QLatin1String("ping")) {
        return {std::move(plan), {}};
    }
    if (command == QLatin1String("sync-pc")) {
        if (!frames::clockSync(currentUtcSecond(clock))) {
            return refuse(::texts::kClockOutOfRange);
        }
        plan.syncClock = true;
        return {std::move(plan), {}};
    }
    if (command == QLatin1String("params")) {
        plan.listParameters = true;
        plan.frames.push_back(
            frames::command(catalogue::entry(catalogue::Command::ListParameters).fixedCode));
        return {std::move(plan), {}};
    }
    for (const FixedName &fixed : kFixed) {
        if (command == QLatin1String(fixed.name)) {
            plan.frames.push_back(frames::command(catalogue::entry(fixed.command).fixedCode));
            return {std::move(plan), {}};
        }
    }
    const std::pair<const char *, const catalogue::RestartCommand &> restarts[] = {
        {"reboot", *catalogue::entry(catalogue::Command::Reboot).restart},
        {"update", *catalogue::entry(catalogue::Command::UpdateApplication).restart},
        {"local-update", *catalogue::entry(catalogue::Command::LocalUpdate).restart},
    };
    for (const auto &[name, restart] : restarts) {
        if (command == QLatin1String(name)) {
            if (!request.yes) {
                return refuse(texts::needsYes(command));
            }
            plan.frames.push_back(frames::command(restart.code));
            plan.restartPauses = restart.halfSecondPauses;
            return {std::move(plan), {}};
        }
    }
    return refuse(texts::unknownCommand(command));
}

} // namespace tavctl

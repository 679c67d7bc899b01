#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class Clock;

namespace tavctl {

// One parameter as a listing names it: the bytes before the first colon and after it.
using ParameterPair = std::pair<QByteArray, QByteArray>;

// What every logger's session sends between its greeting and its end. Built and checked
// once, before any logger is contacted, so an argument the console would refuse stops the
// whole run instead of reaching some loggers.
struct Plan {
    QString command;
    // Sent one after another, each once the reply to the one before has gone quiet.
    std::vector<QByteArray> frames;
    // The one frame is made from the PC's clock at the moment it is sent.
    bool syncClock = false;
    // The operation lines of the reply are collected as the console collects a listing.
    bool listParameters = false;
    // A command that restarts the logger: this many half-second pauses after it, then the
    // link is closed, with no goodbye. Negative for every other command.
    int restartPauses = -1;

    bool contactsLoggers() const { return command != QLatin1String("loggers"); }
    bool restarts() const { return restartPauses >= 0; }
};

struct PlanRequest {
    QString command;
    QStringList arguments;
    bool yes = false;                    // --yes
    bool apply = false;                  // set --apply
    std::vector<ParameterPair> fromFile; // set --from, already read
    bool hasFromFile = false;
};

struct PlanOutcome {
    std::optional<Plan> plan;
    QString error; // why the command was refused, when plan is empty
};

// clock: sync-pc is refused when the PC's clock cannot be put into the frame.
PlanOutcome buildPlan(const PlanRequest &request, const Clock &clock);

// The commands, for --help and the completion.
struct CommandHelp {
    const char *name;
    const char *arguments;
    const char *summary;
};
std::span<const CommandHelp> commandHelp();

} // namespace tavctl

#pragma once

#include "loggers/target.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tavctl {

// One logger of the list, as the console's grid shows its row.
struct LoggerEntry {
    int row = 0; // grid row, from 1
    QString identifier;
    QString hostText;
    QString portText;
    std::optional<Target> target; // empty when host and port cannot be connected to
};

struct FleetOutcome {
    std::vector<LoggerEntry> loggers;
    QString error; // why the list cannot be used; loggers is empty then
};

// Reads the list file with the console's reader: the grid's rows in order, rows that
// stayed wholly empty left out.
FleetOutcome readFleet(const QString &path);

// The loggers whose identifier is one of ids, in list order (every row of an identifier
// that stands twice). Empty ids: all. An id that names no logger refuses the selection.
FleetOutcome selectLoggers(FleetOutcome fleet, const QStringList &ids, const QString &listPath);

} // namespace tavctl

#pragma once

#include "tavctl/fleet.h"
#include "tavctl/plan.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tavctl {

// A .params file: one NAME:VALUE per line, LF-ended, the bytes exactly as the logger listed
// them (its Windows-1252 text stays as it is), so set --from sends back what params read.

// nullopt once written (whole or not at all), else the reason.
std::optional<QString> writeParamsFile(const QString &path,
                                       const std::vector<ParameterPair> &pairs);

struct ParamsRead {
    std::vector<ParameterPair> pairs;
    QString error;
};
// Splits each line at its first colon; CR LF line ends and empty lines are fine.
ParamsRead readParamsFile(const QString &path);

// A file name for each logger's identifier, unique in the run: characters a file name
// cannot hold (or a shell would trip on) become '_', no leading dot, a bounded length.
QStringList safeFileNames(const std::vector<LoggerEntry> &loggers);

} // namespace tavctl

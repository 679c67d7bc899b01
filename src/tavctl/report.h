#pragma once

#include "tavctl/result.h"

#include <QByteArray>
#include <vector>

namespace tavctl {

// A logger's result for a person: a header line (identifier, host:port, ok or the reason,
// the time to connect), then every line the logger sent, indented, operation lines marked
// with '>'. Control characters are shown as \xNN so a logger cannot steer the terminal.
QByteArray terminalBlock(const LoggerResult &result);

// The same as one line of JSON, text decoded from Windows-1252. parameters: the listing's
// pairs are part of it.
QByteArray jsonLine(const LoggerResult &result, bool parameters);

// The list as read, for the loggers command.
QByteArray loggerTable(const std::vector<LoggerEntry> &loggers, bool json);

} // namespace tavctl

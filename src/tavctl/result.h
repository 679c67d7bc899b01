#pragma once

#include "tavctl/fleet.h"
#include "tavctl/plan.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace tavctl {

// One piece of a reply line as the console's lists show it: trace text, or operation text
// (inside braces). Bytes as received.
struct ReplyText {
    QByteArray text;
    bool operation = false;
};

// What one logger's session came to.
struct LoggerResult {
    LoggerEntry logger;
    bool ok = false;
    QString error; // empty when ok
    std::optional<qint64> connectMs;
    std::vector<ReplyText> greeting; // before the command's first frame
    std::vector<ReplyText> reply;    // from the command's first frame to the goodbye
    std::vector<ReplyText> goodbye;  // after the goodbye
    qint64 linesNotKept = 0;         // past the session's memory bound, counted only
    std::vector<ParameterPair> parameters;
};

} // namespace tavctl

#include "tavctl/fleet.h"

#include "base/filereader.h"
#include "loggers/loggerlist.h"
#include "tavctl/texts.h"

#include <algorithm>

namespace tavctl {

FleetOutcome readFleet(const QString &path) {
    const FileRead read = readWholeFile(path);
    switch (read.status) {
    case FileRead::Status::Missing:
        return {{}, texts::noSuchFile(path)};
    case FileRead::Status::Unreadable:
        return {{}, texts::cannotRead(path, read.reason)};
    case FileRead::Status::Ok:
        break;
    }
    const LoggerList list = parseLoggerList(read.bytes);
    FleetOutcome fleet;
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        const auto &cells = list.rows[i];
        if (LoggerList::isEmptyRow(cells)) {
            continue;
        }
        LoggerEntry entry;
        entry.row = static_cast<int>(i) + 1;
        entry.identifier = decodeListText(cells[0], list.encoding);
        entry.hostText = decodeListText(cells[1], list.encoding);
        entry.portText = decodeListText(cells[2], list.encoding);
        entry.target = parseTarget(entry.hostText, entry.portText);
        fleet.loggers.push_back(std::move(entry));
    }
    if (fleet.loggers.empty()) {
        fleet.error = texts::noLoggers(path);
    }
    return fleet;
}

FleetOutcome selectLoggers(FleetOutcome fleet, const QStringList &ids, const QString &listPath) {
    if (ids.isEmpty() || !fleet.error.isEmpty()) {
        return fleet;
    }
    for (const QString &id : ids) {
        const bool known = std::any_of(fleet.loggers.begin(), fleet.loggers.end(),
                                       [&](const LoggerEntry &e) { return e.identifier == id; });
        if (!known) {
            return {{}, texts::unknownLogger(id, listPath)};
        }
    }
    std::erase_if(fleet.loggers, [&](const LoggerEntry &e) { return !ids.contains(e.identifier); });
    return fleet;
}

} // namespace tavctl

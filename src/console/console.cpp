#include "console/console.h"

#include "base/filereader.h"
#include "base/prompter.h"
#include "base/text8.h"
#include "base/texts.h"
#include "commands/frames.h"
#include "commands/utctime.h"
#include "loggers/listencoding.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

namespace {

void tellOnStandardError(const QString &line) {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

QString pathIn(const QString &folder, const QString &fileName) {
    return folder.isEmpty() ? fileName : QDir(folder).filePath(fileName);
}

} // namespace

Console::Console(Prompter &prompter, const Clock &clock, const QString &workDir, QObject *parent)
    : QObject(parent), m_prompter(prompter), m_clock(clock), m_workDir(workDir),
      m_connection(m_link, prompter, clock),
      m_replies(m_link, m_listing, prompter, clock, pathIn(workDir, QStringLiteral("tav.log"))) {
    m_link.setObjectName(QStringLiteral("Winsock1"));
}

Console::LoggerListRead Console::loadLoggers(const QString &exampleList) {
    // The operator is told where the list was read from, or looked for: on standard error
    // always, and inside the grid while it is empty.
    const QString given = pathIn(m_workDir, QStringLiteral("loggers.txt"));
    const QString path = QFileInfo(given).absoluteFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    const FileRead read = readWholeFile(path);
    LoggerListRead result;
    if (read.status != FileRead::Status::Ok) {
        result.emptyGridHint = texts::emptyGridHint(folder, exampleList);
        if (read.status == FileRead::Status::Missing) {
            tellOnStandardError(texts::listMissing(folder));
            return result; // no list is no error
        }
        tellOnStandardError(texts::listUnreadable(path, read.reason));
        m_prompter.inform(texts::cannotRead(given, read.reason), Prompter::Icon::Warning);
        return result;
    }
    result.list = parseLoggerList(read.bytes);
    m_ftp = result.list.ftp;
    const auto loggers =
        std::count_if(result.list.rows.begin(), result.list.rows.end(),
                      [](const auto &row) { return !LoggerList::isEmptyRow(row); });
    tellOnStandardError(texts::listRead(path, static_cast<int>(loggers)));
    tellDoubts(path, result.list);
    result.emptyGridHint = texts::noLoggersHint(path);
    return result;
}

void Console::tellDoubts(const QString &path, const LoggerList &list) {
    using Kind = LoggerList::Doubt::Kind;
    for (const LoggerList::Doubt &doubt : list.doubts) {
        const QString text = decodeListText(doubt.text, list.encoding);
        QString what;
        switch (doubt.kind) {
        case Kind::BeyondTheGrid:
            what = texts::kBeyondTheGrid;
            break;
        case Kind::UnknownKeyword:
            what = texts::unknownKeyword(text, doubt.effect ==
                                                   LoggerList::Doubt::Effect::ContinuesTheEntry);
            break;
        case Kind::EmptyHost:
            what = texts::kEmptyHost;
            break;
        case Kind::PortNotANumber:
            what = texts::portNotANumber(text);
            break;
        }
        tellOnStandardError(texts::doubtfulLine(path, doubt.line, what));
    }
    if (list.unlistedDoubts > 0) {
        tellOnStandardError(texts::moreDoubtfulLines(path, list.unlistedDoubts));
    }
}

bool Console::begin(catalogue::Command command) {
    const catalogue::CommandEntry &entry = catalogue::entry(command);
    if (const catalogue::RestartCommand *restart = entry.restart) {
        if (!m_prompter.ask(*restart->firstLine + texts::kCrLf + *restart->secondLine)) {
            return false;
        }
    }
    // The one place the listing changes with a command.
    switch (entry.listing) {
    case catalogue::ListingEffect::Keep:
        break;
    case catalogue::ListingEffect::End:
        m_listing.end();
        break;
    case catalogue::ListingEffect::Begin:
        m_listing.begin();
        break;
    case catalogue::ListingEffect::Forget:
        m_listing.clear();
        m_listing.end();
        break;
    }
    return true;
}

bool Console::perform(catalogue::Command command) {
    using C = catalogue::Command;
    if (!begin(command)) {
        return false;
    }
    const catalogue::CommandEntry &entry = catalogue::entry(command);
    if (entry.fixedCode != 0) {
        m_connection.send(frames::command(entry.fixedCode));
    } else if (entry.restart) {
        m_connection.restart(*entry.restart);
    }
    switch (command) {
    case C::ActivateLog:
        m_replies.activateLog();
        break;
    case C::DeactivateLog:
        m_replies.deactivateLog();
        break;
    case C::MaintainLink:
        m_connection.maintainLink();
        break;
    case C::Disconnect:
        m_connection.disconnectLogger();
        break;
    case C::AbortConnection:
        m_connection.abortConnection();
        break;
    case C::SyncWithPc:
        syncWithPc();
        break;
    case C::Connect:
    case C::PickLogger:
    case C::CloseDown:
        Q_ASSERT_X(false, "Console::perform", "has a function of its own");
        break;
    default: // the window's part: lists, forms, the about box
        break;
    }
    return true;
}

void Console::connectTo(const Connection::Request &request) {
    begin(catalogue::Command::Connect);
    m_connection.connectTo(request);
}

bool Console::pickLogger() {
    begin(catalogue::Command::PickLogger);
    if (m_link.isConnected()) {
        m_prompter.inform(texts::kDisconnectBefore);
        return false;
    }
    return true;
}

void Console::closeDown() {
    begin(catalogue::Command::CloseDown);
    m_connection.closeDown();
}

void Console::syncWithPc() {
    if (!m_link.isConnected()) {
        m_connection.reportNoConnection();
        return;
    }
    // One reading of the clock, so the six fields belong to the same instant.
    const auto frame = frames::clockSync(currentUtcSecond(m_clock));
    if (!frame) {
        m_prompter.inform(texts::kClockOutOfRange, Prompter::Icon::Warning);
        return;
    }
    m_link.send(*frame);
}

std::vector<std::pair<QString, QString>> Console::parameterSlots() const {
    // One entry more than collected: the slot the next line would fill.
    const ParameterTable &table = m_listing.table();
    std::vector<std::pair<QString, QString>> slots;
    for (int i = 0; i <= table.count(); ++i) {
        slots.emplace_back(text8::toDisplay(table.name(i)), text8::toDisplay(table.value(i)));
    }
    return slots;
}

bool Console::encode(const QString &text, QByteArray &bytes) {
    const text8::Encoded encoded = text8::fromDisplay(text);
    if (!encoded.ok()) {
        m_prompter.inform(texts::unmappable(*encoded.unmappable), Prompter::Icon::Warning);
        return false;
    }
    bytes = encoded.bytes;
    return true;
}

bool Console::accepted(const argumentchecks::FrameCheck &check) {
    if (!check.ok()) {
        m_prompter.inform(check.error, Prompter::Icon::Warning);
    }
    return check.ok();
}

bool Console::sendParameter(const QString &name, const QString &value) {
    QByteArray nameBytes;
    QByteArray valueBytes;
    if (!encode(name, nameBytes) || !encode(value, valueBytes)) {
        return false;
    }
    const auto check = argumentchecks::checkParameter(nameBytes, valueBytes);
    if (!accepted(check)) {
        return false;
    }
    m_connection.send(check.frame, texts::kNoConnectionParam, Connection::WhenDown::Report);
    return true;
}

bool Console::sendFtpAccount(const QString &user, const QString &password, const QString &server) {
    QByteArray userBytes;
    QByteArray passwordBytes;
    QByteArray serverBytes;
    if (!encode(user, userBytes) || !encode(password, passwordBytes) ||
        !encode(server, serverBytes)) {
        return false;
    }
    auto check = argumentchecks::checkFtpAccount(userBytes, passwordBytes, serverBytes);
    passwordBytes.fill('\0');
    if (!accepted(check)) {
        return false;
    }
    m_connection.send(check.frame);
    // The password is not kept once it has gone out.
    check.frame.fill('\0');
    return true;
}

bool Console::sendTestAlarm(const QString &id, const QString &code) {
    const auto check = argumentchecks::checkAlarm(id, code);
    if (!check.ok()) {
        m_prompter.inform(check.error);
    } else {
        m_connection.send(frames::testAlarm(check.id.toLatin1(), check.code.toLatin1()),
                          texts::kNoConnection, Connection::WhenDown::Report);
    }
    return true;
}

bool Console::sendLinuxCommand(const QString &line) {
    QByteArray bytes;
    if (!encode(line, bytes)) {
        return false;
    }
    const auto check = argumentchecks::checkLinuxCommand(bytes);
    if (!accepted(check)) {
        return false;
    }
    m_connection.send(check.frame, texts::kNoConnectionLinux, Connection::WhenDown::Report);
    return true;
}

bool Console::sendHistoric(const argumentchecks::HistoricBoxes &boxes) {
    const auto check = argumentchecks::checkHistoric(boxes);
    if (!check.ok()) {
        m_prompter.inform(check.error);
    } else {
        m_connection.send(frames::historic(check.from, check.to), texts::kNoConnectionHistoric,
                          Connection::WhenDown::Report);
    }
    return true;
}

#pragma once

#include <QString>

// What tavctl prints: its own command-line texts, in one place. The messages it shares
// with the console (argument checks, the code page, the clock) come from the console's
// texts and checks, unchanged.
namespace tavctl::texts {

inline const QString kDescription =
    QStringLiteral("Runs one command on many TAV loggers at once and prints one result per "
                   "logger.");

// Why a logger's session did not end well, in words a script can match.
inline const QString kRefused = QStringLiteral("refused");
inline const QString kHostNotFound = QStringLiteral("host not found");
inline const QString kDropped = QStringLiteral("dropped by the logger");
inline const QString kInterrupted = QStringLiteral("interrupted");
inline const QString kNotContacted = QStringLiteral("not contacted (interrupted)");
inline const QString kBadAddress = QStringLiteral("not a valid host and port");
inline QString noAnswer(qint64 seconds) {
    return QStringLiteral("no answer in %1 s").arg(seconds);
}
inline QString tooManyParameters(int kept) {
    return QStringLiteral("more parameters listed than the %1 the console keeps").arg(kept);
}
inline QString parametersNotSaved(const QString &reason) {
    return QStringLiteral("parameters not saved: %1").arg(reason);
}

// Terminal output.
inline const QString kOk = QStringLiteral("ok");
inline QString connectedIn(qint64 ms) {
    return QStringLiteral("connected in %1 ms").arg(ms);
}
inline QString linesNotKept(qint64 lines) {
    return QStringLiteral("[%1 more lines not kept]").arg(lines);
}
inline QString progress(int done, int total) {
    return QStringLiteral("%1/%2 done").arg(done).arg(total);
}

// Refusals before any logger is contacted (exit status 2).
inline QString refusal(const QString &why) {
    return QStringLiteral("tavctl: %1").arg(why);
}
inline const QString kNoCommand = QStringLiteral("no command given (see --help)");
inline QString unknownCommand(const QString &command) {
    return QStringLiteral("unknown command \"%1\" (see --help)").arg(command);
}
inline QString wrongArgumentCount(const QString &command, const QString &usage) {
    return QStringLiteral("%1 takes %2").arg(command, usage);
}
inline QString onlyWith(const QString &option, const QString &commands) {
    return QStringLiteral("--%1 is only for %2").arg(option, commands);
}
inline QString badNumber(const QString &option, qint64 least, qint64 most) {
    return QStringLiteral("--%1 needs a whole number from %2 to %3")
        .arg(option)
        .arg(least)
        .arg(most);
}
inline QString needsYes(const QString &command) {
    return QStringLiteral("%1 restarts every chosen logger: add --yes to confirm").arg(command);
}
inline QString pairWithoutEquals(const QString &argument) {
    return QStringLiteral("\"%1\" is not NAME=VALUE").arg(argument);
}
inline const QString kNoPairs = QStringLiteral("set needs NAME=VALUE pairs or --from FILE");
inline QString badParamsLine(const QString &file, int line) {
    return QStringLiteral("%1, line %2: not NAME:VALUE").arg(file).arg(line);
}
inline QString cannotRead(const QString &file, const QString &reason) {
    return QStringLiteral("cannot read %1: %2").arg(file, reason);
}
inline QString cannotWrite(const QString &file, const QString &reason) {
    return QStringLiteral("cannot write %1: %2").arg(file, reason);
}
inline QString noSuchFile(const QString &file) {
    return QStringLiteral("cannot read %1: no such file").arg(file);
}
inline QString noLoggers(const QString &file) {
    return QStringLiteral("no loggers in %1").arg(file);
}
inline QString unknownLogger(const QString &id, const QString &file) {
    return QStringLiteral("no logger \"%1\" in %2").arg(id, file);
}
inline QString cannotUseFolder(const QString &folder) {
    return QStringLiteral("cannot create or write to the folder %1").arg(folder);
}

} // namespace tavctl::texts

#pragma once

#include <QString>
#include <QStringView>

// Every text the console shows the operator (captions of the forms' own controls stand in
// the forms), in one place so a reviewer can check them against what the loggers'
// operators know. Spelling quirks are deliberate:
// operators and their procedures quote these messages as they stand.
namespace texts {

inline const QString kAppTitle = QStringLiteral("TAVControl");
inline const QString kWarningTitle = QStringLiteral("Warning");
inline const QString kMainCaption = QStringLiteral("Mirvane");
inline const QString kCrLf = QStringLiteral("\r\n");

// Main window
inline const QString kStripTitle = QStringLiteral("Logger remote control");
inline const QString kReconnecting = QStringLiteral("Reconnecting...");
inline const QString kDisplay = QStringLiteral("Display");
inline const QString kDisplayOn = QStringLiteral("Display ON");
inline const QString kDisplayOff = QStringLiteral("Warning display deactived");
inline const QString kLogAdded = QStringLiteral("Log added:");

// Whole-file reading
inline const QString kFileNotFound = QStringLiteral("File not found");

// Connection lifecycle
inline const QString kAlreadyConnected = QStringLiteral("Already connected");
inline const QString kSelectLogger = QStringLiteral("Select logger");
inline const QString kConfirmClear = QStringLiteral("Warning\r\nConfirm clear screens?");
inline const QString kConnectionStopped = QStringLiteral("Connection stopped");
inline const QString kNotAbleToConnect = QStringLiteral("Not able to connect");
inline const QString kErrorConnecting = QStringLiteral("Error conecting logger ");

// Link timers
inline const QString kWaiting = QStringLiteral("Waiting ...");
inline const QString kWaitingCount = QStringLiteral("Waiting ... ");
inline const QString kReady = QStringLiteral("Ready for connection");

// Commands
inline const QString kNoConnection = QStringLiteral("There is no connection");
inline const QString kNoConnectionParam = QStringLiteral("There is no conecction");
inline const QString kNoConnectionLinux = QStringLiteral("There is no conenction");
inline const QString kNoConnectionHistoric = QStringLiteral("No hay conexión");

// Grid
inline const QString kDisconnectBefore = QStringLiteral("Desconnect before");

// Session log
inline const QString kLogAlready = QStringLiteral("Log already activated");
inline const QString kInitLog = QStringLiteral("Warning\r\nInit log?");
inline const QString kLogActive = QStringLiteral("Log Activado");
inline const QString kLogInactive = QStringLiteral("Log Desactivado");
inline const QString kLogNotActive = QStringLiteral("Log no activate");
inline const QString kLogTooBig = QStringLiteral("Desactivado por tamaño");
inline const QString kLogError = QStringLiteral("Error Log");
inline const QString kLogBytesSuffix = QStringLiteral(" bytes");

// Update and reboot
inline const QString kCheckApp = QStringLiteral("Check app1 is received!");
inline const QString kLocalOnly = QStringLiteral("Only for local update!. Are you sure!");
inline const QString kConfirmUpdate = QStringLiteral("Confirm update");
inline const QString kWarningBang = QStringLiteral("Warning!");
inline const QString kConfirmReboot = QStringLiteral("Confirm reboot");

// Argument forms: what a check refuses, and the fields its messages name.
inline const QString kIdRange = QStringLiteral("Id debe ser entre 0 y 99999999");
inline const QString kCodeRange = QStringLiteral("Alarma debe ser entre 0 y 99999999");
inline const QString kMaxHour = QStringLiteral("Hora máxima 23");
inline QString badBox(QStringView box, int min, int max) {
    return QStringLiteral("Valor no válido en %1: debe ser un número entero entre %2 y %3")
        .arg(box, QString::number(min), QString::number(max));
}
namespace fields {
inline constexpr QStringView kParameter = u"Parámeter";
inline constexpr QStringView kValue = u"Value";
inline constexpr QStringView kUser = u"User";
inline constexpr QStringView kPassword = u"Password";
inline constexpr QStringView kServer = u"Server";
inline constexpr QStringView kComand = u"Comand";
inline constexpr QStringView kFromHour = u"Desde Hora";
inline constexpr QStringView kFromDay = u"Desde Día";
inline constexpr QStringView kFromMonth = u"Desde Mes";
inline constexpr QStringView kFromYear = u"Desde Año";
inline constexpr QStringView kToHour = u"Hasta Hora";
inline constexpr QStringView kToDay = u"Hasta Día";
inline constexpr QStringView kToMonth = u"Hasta Mes";
inline constexpr QStringView kToYear = u"Hasta Año";
} // namespace fields

// Not among the loggers' own messages: a clock the frame cannot carry.
inline const QString kClockOutOfRange =
    QStringLiteral("The PC's clock is outside 2000 to 2255; the logger's clock was not set");

// Address dialog
inline const QString kAddressTitle = QStringLiteral("IP & Port configuration");

// About box
inline const QString kAboutTitle = QStringLiteral("Help");
inline const QString kAboutVersion = QStringLiteral("Logger remote control V3.2");
inline const QString kCompany = QStringLiteral("Mirvane Systems");

// Why a file could not be read or written, as the messages below give the reason.
inline const QString kNotRegularFile = QStringLiteral("not a regular file");
inline QString largerThan(qint64 mebibytes) {
    return QStringLiteral("larger than %1 MiB").arg(mebibytes);
}
inline QString linkPointsNowhere(const QString &target) {
    return QStringLiteral("the symbolic link points nowhere (%1 does not exist)").arg(target);
}
inline const QString kLogNotOpen = QStringLiteral("not open");
inline const QString kLogRemoved = QStringLiteral("the file or its folder was removed");
inline const QString kLogReplaced = QStringLiteral("the file was replaced by another");

// Not among the loggers' own messages: a list file that exists but cannot be read.
inline QString cannotRead(const QString &file, const QString &reason) {
    return QStringLiteral("Cannot read %1: %2").arg(file, reason);
}

// The session log could not be opened: which file, and why.
inline QString logOpenFailed(const QString &file, const QString &reason) {
    return QStringLiteral("Cannot open %1: %2").arg(file, reason);
}
// A character and its code point, as the messages about the code page name it.
inline QString characterAndCodePoint(QChar ch) {
    return QStringLiteral("\"%1\" (U+%2)")
        .arg(QString(ch), QStringLiteral("%1").arg(ch.unicode(), 4, 16, QChar('0')).toUpper());
}
// Operator text with a character the wire's code page cannot carry.
inline QString unmappable(QChar ch) {
    return QStringLiteral("The character %1 cannot be sent to the logger; nothing was sent")
        .arg(characterAndCodePoint(ch));
}
// An argument that would put the start of another command on the wire: which field.
inline QString smuggledFrame(const QString &field) {
    return QStringLiteral("The field \"%1\" would send \"TAV@\", which the logger takes for the "
                          "start of another command; nothing was sent")
        .arg(field);
}
// The end of a list entry too long to show whole.
inline QString moreCharacters(qsizetype count) {
    return QStringLiteral(" \u2026 [+%1 characters]").arg(count);
}
// Writing the session log failed; logging has stopped.
inline QString logWriteFailed(const QString &file, const QString &reason) {
    return kLogError + kCrLf + QStringLiteral("%1: %2").arg(file, reason);
}

// Not among the loggers' own messages: the reply lists' context menu, to keep and pass on
// what a logger said.
inline const QString kCopy = QStringLiteral("Copy");
inline const QString kCopyAll = QStringLiteral("Copy all");
inline const QString kSaveAs = QStringLiteral("Save as\u2026");
inline const QString kSaveTraceList = QStringLiteral("Save trace list");
inline const QString kSaveOperationList = QStringLiteral("Save operation list");
inline const QString kTextFileFilter = QStringLiteral("Text files (*.txt);;All files (*)");
// A list could not be saved: which file, and why.
inline QString cannotSave(const QString &file, const QString &reason) {
    return QStringLiteral("Cannot save %1: %2").arg(file, reason);
}
// Why a typed file name is not taken: the file dialog would read it as several names.
inline const QString kQuoteInFileName =
    QStringLiteral("a name with a double quote (\") would be read as several names; nothing "
                   "was saved");
// Why a list entry cannot go into a saved file.
inline QString notInCodePage(QChar ch) {
    return QStringLiteral("the character %1 has no byte in the Windows-1252 code page")
        .arg(characterAndCodePoint(ch));
}
// Start-up, on standard error and in the empty grid: where the list was looked for.
inline QString listRead(const QString &file, int loggers) {
    return QStringLiteral("mirvane: %1 logger(s) read from %2").arg(loggers).arg(file);
}
inline QString listMissing(const QString &folder) {
    return QStringLiteral("mirvane: no loggers.txt in %1").arg(folder);
}
inline QString listUnreadable(const QString &file, const QString &reason) {
    return QStringLiteral("mirvane: cannot read %1: %2").arg(file, reason);
}
inline QString emptyGridHint(const QString &folder, const QString &example) {
    const QString hint = QStringLiteral("No loggers.txt in %1.\n\nStart Mirvane from the folder "
                                        "that holds the list of loggers.")
                             .arg(folder);
    return example.isEmpty() ? hint : hint + QStringLiteral(" An example list: %1").arg(example);
}
// A line of the list that was read but is probably not what its writer meant.
inline QString doubtfulLine(const QString &file, int line, const QString &what) {
    return QStringLiteral("mirvane: %1:%2: %3").arg(file).arg(line).arg(what);
}
inline const QString kBeyondTheGrid =
    QStringLiteral("not read: the grid holds 39 loggers, all of them above this line");
inline QString unknownKeyword(const QString &keyword, bool continuesTheEntry) {
    return QStringLiteral("\"%1\" is neither LOGGER nor FTPSERVER; %2")
        .arg(keyword, continuesTheEntry ? QStringLiteral("the line goes on with the entry above it")
                                        : QStringLiteral("the line is ignored"));
}
inline const QString kEmptyHost = QStringLiteral("a logger with no host");
inline QString portNotANumber(const QString &port) {
    return port.trimmed().isEmpty()
               ? QStringLiteral("a logger with no port")
               : QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(port);
}
inline QString moreDoubtfulLines(const QString &file, int count) {
    return QStringLiteral("mirvane: %1: %2 more doubtful line(s)").arg(file).arg(count);
}
inline QString noLoggersHint(const QString &file) {
    return QStringLiteral("No loggers in %1.").arg(file);
}
} // namespace texts

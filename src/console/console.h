#pragma once

#include "commands/argumentchecks.h"
#include "commands/catalogue.h"
#include "commands/parameterlisting.h"
#include "link/connection.h"
#include "link/link.h"
#include "loggers/loggerlist.h"
#include "replies/replypath.h"

#include <QObject>
#include <QString>
#include <utility>
#include <vector>

class Clock;
class Prompter;

// The desktop console without its widgets. It owns the link, the connection, the reply path
// and the parameter listing, reads the logger list, and carries out every operator command as
// far as no widget is involved: each one starts here, where the command table's question is
// asked and its effect on the parameter listing applied. The main window lays out the widgets
// and wires them to it.
class Console final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Console)

public:
    // workDir: the folder that holds loggers.txt and takes tav.log; empty for the current
    // folder, whose files messages then name as the operator knows them, without a path.
    Console(Prompter &prompter, const Clock &clock, const QString &workDir,
            QObject *parent = nullptr);

    Link &link() { return m_link; }
    Connection &connection() { return m_connection; }
    ReplyPath &replies() { return m_replies; }
    const ParameterListing &listing() const { return m_listing; }
    const Clock &clock() const { return m_clock; }

    // Reads loggers.txt once, at start-up. Where it was read from, or looked for, goes to
    // standard error, with the lines that are probably not what their writer meant; a list
    // that exists but cannot be read is also told in a box. The rows are empty then, and
    // emptyGridHint says why and names exampleList, where an example list can be found.
    struct LoggerListRead {
        LoggerList list;
        QString emptyGridHint;
    };
    LoggerListRead loadLoggers(const QString &exampleList = {});
    const FtpAccount &ftpAccount() const { return m_ftp; }

    // Carries out what needs no widget: true when the command went ahead (its question, if it
    // asks one, was answered Yes), for the window to do the rest (open a form, clear a list).
    bool perform(catalogue::Command command);
    // Connect, with what it needs of the grid and the lists.
    void connectTo(const Connection::Request &request);
    // A click on a logger in the grid: false (after telling the operator) while connected.
    bool pickLogger();
    // The window is about to close.
    void closeDown();

    // What the forms hand back. Each returns false when what was typed is refused (a
    // character the code page cannot carry, or "TAV@" inside a frame): the form stays open
    // for the operator to correct it; otherwise the form's work is done.
    // (name, value) of every table slot up to the one the next collected line would fill.
    std::vector<std::pair<QString, QString>> parameterSlots() const;
    bool sendParameter(const QString &name, const QString &value);
    bool sendFtpAccount(const QString &user, const QString &password, const QString &server);
    bool sendTestAlarm(const QString &id, const QString &code);
    bool sendLinuxCommand(const QString &line);
    bool sendHistoric(const argumentchecks::HistoricBoxes &boxes);

private:
    // Tells on standard error the list's lines that were read but are probably not meant.
    static void tellDoubts(const QString &path, const LoggerList &list);
    // Asks the command's question and applies its listing effect: false when answered No.
    bool begin(catalogue::Command command);
    void syncWithPc();
    // Operator text as wire bytes; false (after telling the operator) when a character has
    // no byte in the code page.
    bool encode(const QString &text, QByteArray &bytes);
    // False (after telling the operator) when a frame's arguments are refused.
    bool accepted(const argumentchecks::FrameCheck &check);

    Prompter &m_prompter;
    const Clock &m_clock;
    const QString m_workDir;
    ParameterListing m_listing;
    Link m_link;
    Connection m_connection;
    ReplyPath m_replies;
    FtpAccount m_ftp;
};

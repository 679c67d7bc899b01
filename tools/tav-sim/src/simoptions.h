#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct ParsedOptions;

// Everything the command line can set, with the defaults of a well-behaved logger, and the
// parser that fills it. Fault options apply to every simulated logger.
struct SimOptions {
    static constexpr quint16 kDefaultPort = 4001;

    QList<quint16> ports{kDefaultPort};     // one logger per port; 0 = any free port
    QStringList names;                      // from --name, in order; the rest get default names
    int idlePauseMs = 150;                  // a frame without terminator ends after this pause
    double traceIntervalSeconds = 5;        // 0 = no unsolicited trace lines
    double restartSeconds = 20;             // unreachable time after reboot or update
    int chunkSize = 0;                      // cut replies into pieces of this size (0 = off)
    std::optional<quint32> randomChunkSeed; // random piece sizes from this seed
    int chunkGapMs = 5;                     // pause between the pieces of one reply
    int delayMs = 0;                        // pause before each reply
    int dropAfter = 0;                      // drop the link after this many frames (0 = never)
    int dropMidReply = 0;                   // send half the answer to this frame, then drop
    bool mute = false;                      // take connections and frames, answer nothing
    int flood = 0;                          // trace lines sent right after the greeting
    bool deadPort = false;                  // listen, but let no connection through
    qint64 parentPid = 0;                   // exit when this process is gone (0 = not watched)
    bool exitWithParent = false;            // exit when the parent process is gone

    // arguments without the program name.
    static ParsedOptions parse(const QStringList &arguments);
    static QString helpText();

    QByteArray loggerName(int index) const;
};

// The outcome of reading a command line.
struct ParsedOptions {
    std::optional<SimOptions> options; // empty on error or help
    QString error;                     // why the command line was refused
    bool help = false;                 // --help was asked for
};

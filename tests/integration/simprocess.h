#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <utility>
#include <vector>

// One tav-sim process with one logger on an ephemeral loopback port: starts it,
// reads the port it prints, keeps its log of frames and replies, and ends it.
class SimProcess {
public:
    SimProcess();
    ~SimProcess(); // stops the process if it still runs
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    using Parameters = std::vector<std::pair<QByteArray, QByteArray>>;
    // What the first logger of a fresh simulator lists, in order.
    static const Parameters &factoryParameters();
    // The operation lines of one listing of `parameters`, as the console shows them.
    static QStringList listingLines(const Parameters &parameters);

    // Starts tav-sim with `args` after "--port 0" and waits for its listening line.
    // False (with the reason in error()) if it did not come up.
    bool start(const QStringList &args);
    quint16 port() const { return m_port; }
    QString error() const { return m_error; }

    // Everything the simulator logged on stderr so far.
    QByteArray log();
    // The frames the logger took from the stream, in order, as it logs them
    // (variable-length frames with their arguments, binary fields in hex).
    QList<QByteArray> frames();
    // Waits (handling events) until the log holds `text`.
    bool waitForLog(const QByteArray &text, int ms = 3000);

    // SIGKILL: the logger vanishes without a word; the kernel closes its sockets.
    void kill();
    // SIGTERM, then SIGKILL if it does not end in time.
    void stop();

private:
    void readLog();

    QProcess m_process;
    QByteArray m_log;
    quint16 m_port = 0;
    QString m_error;
};

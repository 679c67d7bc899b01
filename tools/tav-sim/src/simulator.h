#pragma once

#include "logsink.h"
#include "simoptions.h"

#include <QList>
#include <QObject>
#include <QString>

class LoggerEndpoint;

// The whole simulator: one endpoint per configured port, all sharing the fault options.
class Simulator final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Simulator)

public:
    Simulator(SimOptions options, LogSink sink, QObject *parent = nullptr);
    ~Simulator() override;

    // Listens on every port; on failure nothing stays open and error says why.
    bool start(QString *error);
    // Ends every connection and stops listening.
    void stop();

    const QList<LoggerEndpoint *> &loggers() const { return m_loggers; }
    const SimOptions &options() const { return m_options; }

private:
    SimOptions m_options; // the endpoints and sessions refer to it
    LogSink m_log;
    QList<LoggerEndpoint *> m_loggers;
};

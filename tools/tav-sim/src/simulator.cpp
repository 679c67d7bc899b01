#include "simulator.h"

#include "loggerendpoint.h"

#include <utility>

Simulator::Simulator(SimOptions options, LogSink sink, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_log(std::move(sink)) {}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start(QString *error) {
    stop();
    for (int i = 0; i < m_options.ports.size(); ++i) {
        auto *logger = new LoggerEndpoint(m_options.loggerName(i), i + 1, m_options.ports.at(i),
                                          m_options, m_log, this);
        m_loggers.append(logger);
        if (!logger->listen(error)) {
            stop();
            return false;
        }
    }
    return true;
}

void Simulator::stop() {
    for (LoggerEndpoint *logger : std::as_const(m_loggers)) {
        logger->stop();
        delete logger;
    }
    m_loggers.clear();
}

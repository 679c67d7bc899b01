#include "base/stopsignals.h"

#include <QSocketNotifier>

#if defined(Q_OS_UNIX)
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kStopSignals = {SIGTERM, SIGHUP, SIGINT};
int g_pair[2] = {-1, -1};
struct sigaction g_before[kStopSignals.size()];
bool g_installed[kStopSignals.size()] = {};

extern "C" void onStopSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: a pair full of unread signals loses this one rather than hang the process.
    [[maybe_unused]] const ssize_t written = ::write(g_pair[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent) {
    if (g_pair[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0) {
        return;
    }
    ::fcntl(g_pair[0], F_SETFL, ::fcntl(g_pair[0], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(kStopSignals[i], nullptr, &g_before[i]);
        if (g_before[i].sa_handler != SIG_IGN) {
            g_installed[i] = ::sigaction(kStopSignals[i], &action, nullptr) == 0;
        }
    }
}

StopSignals::~StopSignals() {
    if (!m_notifier) {
        return;
    }
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        if (g_installed[i]) {
            ::sigaction(kStopSignals[i], &g_before[i], nullptr);
            g_installed[i] = false;
        }
    }
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair[0] = g_pair[1] = -1;
}

void StopSignals::readSignal() {
    unsigned char byte = 0;
    if (::read(g_pair[1], &byte, 1) == 1) {
        m_received = true;
        Q_EMIT stopRequested(byte);
    }
}

#else

StopSignals::StopSignals(QObject *parent) : QObject(parent) {}
StopSignals::~StopSignals() = default;
void StopSignals::readSignal() {}

#endif

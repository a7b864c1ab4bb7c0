#include "platform/qt/SignalNotifier.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace vis {

namespace {
// The write end must be reachable from the signal handler, which takes no context; one pipe per process.
int g_signalPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnTerminationSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a pending request: losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}
} // namespace

SignalNotifier::SignalNotifier(QObject* parent) : QObject(parent) {
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
}

SignalNotifier::~SignalNotifier() {
    // Back to the default: a signal after the loop has gone ends the process at once.
    for (int s : kSignals)
        std::signal(s, SIG_DFL);
}

void SignalNotifier::Drain() {
    unsigned char buffer[16];
    ssize_t n;
    while ((n = ::read(g_signalPipe[0], buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (received_ == 0) received_ = buffer[i];
            emit terminationRequested(buffer[i]);
        }
    }
}

void DieBySignal(int signalNumber) {
    std::signal(signalNumber, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signalNumber);
    // Only reached if the default action does not end the process.
    ::_exit(128 + signalNumber);
}

} // namespace vis

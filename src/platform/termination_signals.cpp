#include "platform/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// The pipe lives for the whole process: a signal that arrives while handlers are being swapped
// must still find a valid descriptor.
std::atomic<int> g_writeEnd{-1};
int g_readEnd = -1;

void OnSignal(int signalNumber) {
    const int saved = errno;
    const int fd = g_writeEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        ssize_t ignored = write(fd, &byte, 1);  // a full pipe already holds a request
        (void)ignored;
    }
    errno = saved;
}

bool EnsurePipe() {
    if (g_readEnd >= 0) return true;
    int fds[2];
    // Close-on-exec: the panels started by the launcher must not inherit it.
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    g_readEnd = fds[0];
    g_writeEnd.store(fds[1]);
    return true;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (!EnsurePipe()) return;
    // Drop bytes of an earlier window's life.
    unsigned char stale[64];
    while (read(g_readEnd, stale, sizeof stale) > 0) {
    }
    notifier_ = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        installed_[i] = sigaction(kSignals[i], &action, &previous_[i]) == 0;
    }
}

TerminationSignals::~TerminationSignals() {
    for (int i = 0; i < 3; ++i) {
        if (installed_[i]) sigaction(kSignals[i], &previous_[i], nullptr);
    }
}

void TerminationSignals::OnReadable() {
    unsigned char bytes[64];
    int last = 0;
    ssize_t n;
    while ((n = read(g_readEnd, bytes, sizeof bytes)) > 0) last = bytes[n - 1];
    if (last != 0) emit requested(last);
}

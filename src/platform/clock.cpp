#include "clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace {

uint32_t RealTick() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000;
    return static_cast<uint32_t>(ms);
}

void RealSleep(uint32_t ms) {
    timespec req{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&req, &req) == -1 && errno == EINTR) {
    }
}

timespec MonotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts;
}

// poll with its time-out kept against the monotonic clock: a signal does not cut the wait short,
// and ppoll's time-out never ends before the time asked.
int RealWait(pollfd* fds, int count, int timeoutMs) {
    const auto n = static_cast<nfds_t>(count);
    if (timeoutMs < 0) {
        for (;;) {
            const int r = ppoll(fds, n, nullptr, nullptr);
            if (r >= 0 || errno != EINTR) return r;
        }
    }
    constexpr long kNsPerS = 1000000000L;
    const timespec start = MonotonicNow();
    const int64_t end = static_cast<int64_t>(start.tv_sec) * kNsPerS + start.tv_nsec +
                        static_cast<int64_t>(timeoutMs) * 1000000;
    for (;;) {
        const timespec now = MonotonicNow();
        int64_t left = end - (static_cast<int64_t>(now.tv_sec) * kNsPerS + now.tv_nsec);
        if (left < 0) left = 0;
        const timespec wait{static_cast<time_t>(left / kNsPerS), static_cast<long>(left % kNsPerS)};
        const int r = ppoll(fds, n, &wait, nullptr);
        if (r >= 0 || errno != EINTR) return r;
    }
}

std::atomic<const ClockSource*> g_source{nullptr};

}  // namespace

uint32_t TickCount() {
    const ClockSource* s = g_source.load(std::memory_order_acquire);
    return s ? s->tick() : RealTick();
}

void SleepMs(uint32_t ms) {
    const ClockSource* s = g_source.load(std::memory_order_acquire);
    if (s) {
        s->sleep(ms);
    } else {
        RealSleep(ms);
    }
}

int WaitReadable(pollfd* fds, int count, int timeoutMs) {
    const ClockSource* s = g_source.load(std::memory_order_acquire);
    if (!s) return RealWait(fds, count, timeoutMs);
    if (s->wait) return s->wait(fds, count, timeoutMs);
    const int ready = RealWait(fds, count, 0);
    if (ready != 0 || timeoutMs == 0) return ready;
    s->sleep(timeoutMs < 0 ? 1 : static_cast<uint32_t>(timeoutMs));
    return RealWait(fds, count, 0);
}

void SetClockSource(const ClockSource* source) {
    g_source.store(source, std::memory_order_release);
}

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

void SetClockSource(const ClockSource* source) {
    g_source.store(source, std::memory_order_release);
}

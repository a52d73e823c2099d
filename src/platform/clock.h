// Millisecond tick count and sleeping, with a seam so that tests can drive time.
#pragma once

#include <poll.h>

#include <cstdint>

// Milliseconds of a monotonic clock, wrapping at 2^32 like the Windows tick count.
// Time-outs compare the difference of two ticks with a limit.
uint32_t TickCount();

// Sleeps the calling thread for ms milliseconds.
void SleepMs(uint32_t ms);

// Signed distance from start to now, safe across the wrap of the tick count.
inline int32_t TicksSince(uint32_t start, uint32_t now) {
    return static_cast<int32_t>(now - start);
}

// Waits until one of the count descriptors is readable (poll's events and revents) or
// timeoutMs milliseconds have passed (-1: no limit). Returns the number of ready descriptors, 0
// when the time ran out (never before timeoutMs have passed on this clock), -1 on an error.
// A signal does not end the wait early.
int WaitReadable(pollfd* fds, int count, int timeoutMs);

// Replaces the clock for tests. The calls must be thread-safe; pass nullptr to restore the
// real clock. Set it before any thread that uses the clock starts. A source without wait waits
// for descriptors by looking at them without waiting and then sleeping its own sleep.
struct ClockSource {
    uint32_t (*tick)();
    void (*sleep)(uint32_t ms);
    int (*wait)(pollfd* fds, int count, int timeoutMs) = nullptr;
};
void SetClockSource(const ClockSource* source);

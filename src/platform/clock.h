// Millisecond tick count and sleeping, with a seam so that tests can drive time.
#pragma once

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

// Replaces the clock for tests. Both calls must be thread-safe; pass nullptr to restore the
// real clock. Set it before any thread that uses the clock starts.
struct ClockSource {
    uint32_t (*tick)();
    void (*sleep)(uint32_t ms);
};
void SetClockSource(const ClockSource* source);

// Polling waits and a monotonic clock in milliseconds.
#pragma once

#include <cstdint>

namespace testkit {

// Milliseconds of a monotonic clock.
int64_t NowMs();
void SleepForMs(int ms);

// Polls cond every pollMs until it is true or timeoutMs passes. Returns cond().
template <class F>
bool WaitFor(F cond, int timeoutMs = 30000, int pollMs = 2) {
    const int64_t end = NowMs() + timeoutMs;
    while (!cond()) {
        if (NowMs() > end) return cond();
        SleepForMs(pollMs);
    }
    return true;
}

}  // namespace testkit

#include "qvx_stop.h"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "qvx_output.h"

namespace {

std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler stores into it");

extern "C" void NoteStopSignal(int signalNumber) {
    g_stopSignal.store(signalNumber, std::memory_order_relaxed);
}

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signalNumber, &action, nullptr);
}

bool StopAsked() {
    return g_stopSignal.load(std::memory_order_relaxed) != 0 || OutputReaderGone();
}

bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point end) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        if (StopAsked()) return false;
        const Clock::time_point now = Clock::now();
        if (now >= end) return true;
        // Short slices, so a stop is taken within 10 ms even during a long interval.
        std::this_thread::sleep_for(
            std::min<Clock::duration>(end - now, std::chrono::milliseconds(10)));
    }
}

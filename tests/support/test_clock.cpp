#include "support/test_clock.h"

#include <poll.h>

#include <atomic>
#include <thread>

#include "platform/clock.h"

namespace {

std::atomic<uint32_t> g_now{0};
std::atomic<bool> g_held{false};
std::atomic<bool> g_installed{false};
// Moves of the tick, and the move a held thread last found its end still ahead at.
std::atomic<uint64_t> g_moves{0};
std::atomic<uint64_t> g_settledAt{~uint64_t{0}};

uint32_t Tick() {
    return g_now.load();
}

bool Reached(uint32_t end) {
    return static_cast<int32_t>(g_now.load() - end) >= 0;
}

// kHeld: until the tick reaches end (never, when forever), a descriptor is ready, or the clock
// goes away. Returns poll's count of ready descriptors, 0 when the time came.
int Hold(pollfd* fds, int count, uint32_t end, bool forever) {
    for (;;) {
        const uint64_t moves = g_moves.load();
        const int ready = poll(fds, static_cast<nfds_t>(count), 0);
        if (ready != 0) return ready;
        if ((!forever && Reached(end)) || !g_installed.load()) return 0;
        g_settledAt.store(moves);
        // Real time passes in small slices, so a descriptor or a move is seen at once.
        const int later = poll(fds, static_cast<nfds_t>(count), 1);
        if (later != 0) return later;
    }
}

void Sleep(uint32_t ms) {
    if (!g_held.load()) {
        g_now.fetch_add(ms);
        return;
    }
    Hold(nullptr, 0, g_now.load() + ms, false);
}

int Wait(pollfd* fds, int count, int timeoutMs) {
    if (!g_held.load()) {
        const int ready = poll(fds, static_cast<nfds_t>(count), 0);
        if (ready != 0 || timeoutMs <= 0) return ready;
        g_now.fetch_add(static_cast<uint32_t>(timeoutMs));
        return 0;
    }
    return Hold(fds, count, g_now.load() + static_cast<uint32_t>(timeoutMs < 0 ? 0 : timeoutMs),
                timeoutMs < 0);
}

const ClockSource kSource{&Tick, &Sleep, &Wait};

}  // namespace

TestClock::TestClock(Mode mode, uint32_t start) {
    g_now.store(start);
    g_held.store(mode == kHeld);
    g_settledAt.store(~uint64_t{0});
    g_installed.store(true);
    SetClockSource(&kSource);
}

TestClock::~TestClock() {
    SetClockSource(nullptr);
    g_installed.store(false);
}

uint32_t TestClock::Now() const {
    return g_now.load();
}

void TestClock::Set(uint32_t tick) {
    g_now.store(tick);
    g_moves.fetch_add(1);
}

bool TestClock::Settled(int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; ++waited) {
        if (g_settledAt.load() == g_moves.load()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

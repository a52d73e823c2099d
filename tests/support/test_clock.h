// A clock the test moves by hand, installed through the clock seam (SetClockSource), for the
// time rules at their edges: TickCount() reads the test's tick.
//
// Two ways of passing time:
//   kStepped  SleepMs and WaitReadable return at once, moving the tick on by the time they were
//             asked to wait (WaitReadable first looks at its descriptors): for steps called by
//             the test itself.
//   kHeld     SleepMs and WaitReadable end only when the test has moved the tick far enough (or,
//             for WaitReadable, when a descriptor becomes readable); meanwhile they wait in real
//             time. Settled() tells when the other threads have done all they will do at the
//             present tick.
// One clock at a time; the destructor restores the real clock and lets every held wait go.
#pragma once

#include <cstdint>

class TestClock {
  public:
    enum Mode { kStepped, kHeld };
    explicit TestClock(Mode mode, uint32_t start = 100000);
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    uint32_t Now() const;
    void Set(uint32_t tick);
    void Advance(uint32_t ms) { Set(Now() + ms); }

    // kHeld: waits in real time (at most timeoutMs) until a thread is held in a sleep or wait
    // whose end lies ahead and has looked at the tick since it last moved. False on time-out.
    bool Settled(int timeoutMs = 30000) const;
};

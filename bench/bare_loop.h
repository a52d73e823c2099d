// The yardstick for threads that poll every millisecond: a bare thread that does nothing but
// sleep 1 ms in a loop. Benchmarks run it beside the thread they measure and report both.
#pragma once

#include <sys/types.h>

#include <cstdint>

struct LoopCpu {
    double cpuMs = 0;   // CPU time the thread used
    double wallMs = 0;  // time it ran
    long passes = 0;    // sleeps it made
};

// Runs a thread that sleeps 1 ms per pass for durationMs and returns what it cost.
LoopCpu MeasureBareSleepLoop(int durationMs);

// CPU time a thread of this process has used so far, in nanoseconds (-1 when unknown).
int64_t ThreadCpuNs(pid_t tid);

// CPU time of the whole process so far (user + system), in milliseconds.
double ProcessCpuMs();

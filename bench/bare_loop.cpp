#include "bare_loop.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace {

double TimevalMs(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
}

}  // namespace

int64_t ThreadCpuNs(pid_t tid) {
    // The first field of schedstat is the time spent on a CPU, in nanoseconds.
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/schedstat");
    int64_t ns = -1;
    if (!(in >> ns)) return -1;
    return ns;
}

double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return TimevalMs(usage.ru_utime) + TimevalMs(usage.ru_stime);
}

LoopCpu MeasureBareSleepLoop(int durationMs) {
    LoopCpu result;
    std::thread thread([&result, durationMs] {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        const auto end = start + std::chrono::milliseconds(durationMs);
        timespec cpu0{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);
        long passes = 0;
        while (Clock::now() < end) {
            const timespec oneMs{0, 1000000};
            nanosleep(&oneMs, nullptr);
            ++passes;
        }
        timespec cpu1{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
        result.cpuMs = static_cast<double>(cpu1.tv_sec - cpu0.tv_sec) * 1000.0 +
                       static_cast<double>(cpu1.tv_nsec - cpu0.tv_nsec) / 1e6;
        result.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        result.passes = passes;
    });
    thread.join();
    return result;
}

// The A/D refresh runs on the window's thread every half second and must stay far below a
// millisecond; stopping a worker must take a few milliseconds (its steps never wait for a box,
// apart from the first one's 100 ms pause), also while a request waits for its reply.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "panels/AdWorker.h"
#include "panels/PanelWorker.h"
#include "panels/ad_values.h"
#include "platform/clock.h"
#include "statlink.h"

namespace {

void BM_AdRefreshEightInputs(benchmark::State& state) {
    AdBlock block;
    for (int i = 0; i < kAdInputs; ++i) ClearAdInput(block, i);
    uint32_t code = 0;
    for (auto _ : state) {
        // A new value on every input each time: every label text changes.
        for (int i = 0; i < kAdInputs; ++i) {
            code = (code + 97) & 0xFFF;
            block.adRaw[static_cast<size_t>(i)] = static_cast<int32_t>(code);
            block.adVolts[static_cast<size_t>(i)] = code * 0.0048828125;
            benchmark::DoNotOptimize(RefreshAdInput(block, i));
        }
    }
}
BENCHMARK(BM_AdRefreshEightInputs);

// Time from the stop request to the worker's confirmation, with an A/D worker whose request
// waits for a reply that never comes (no port: the write fails, the reply is awaited).
void BM_PanelWorkerStop(benchmark::State& state) {
    // A segment of its own, so a running launcher's panels are not disturbed.
    const std::string segment = "/vantrel-bench-" + std::to_string(getpid());
    setenv("VANTREL_STATLINK", segment.c_str(), 1);
    for (auto _ : state) {
        state.PauseTiming();
        auto settings = std::make_unique<AppSettings>();
        SerialLink link;
        PanelWorker worker([](int) {});
        worker.Start(std::make_unique<AdWorker>(link, *settings, worker.Poster()), 0,
                     &settings->workerPhase);
        settings->workerPhase = AdWorker::kCycling;  // past the start pause
        SleepMs(5);
        state.ResumeTiming();
        worker.Stop();
    }
    shm_unlink(segment.c_str());
    shm_unlink((segment + ".watch").c_str());
}
BENCHMARK(BM_PanelWorkerStop)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();

// The panel worker reads its main word every millisecond, so the read must stay cheap.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "statlink.h"

namespace {

struct BenchSegment {
    BenchSegment() : name("/vantrel-bench-" + std::to_string(getpid())) {
        setenv("VANTREL_STATLINK", name.c_str(), 1);
    }
    ~BenchSegment() { shm_unlink(name.c_str()); }
    std::string name;
};

void BM_GetMainSta(benchmark::State& state) {
    BenchSegment seg;
    slk_SetMainSta(1, 0);
    for (auto _ : state) benchmark::DoNotOptimize(slk_GetMainSta(1));
}
BENCHMARK(BM_GetMainSta);

void BM_SetChildErr(benchmark::State& state) {
    BenchSegment seg;
    int v = 0;
    for (auto _ : state) slk_SetChildErr(2, ++v & 15);
}
BENCHMARK(BM_SetChildErr);

}  // namespace

BENCHMARK_MAIN();

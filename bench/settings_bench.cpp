// What settings cost at start-up and close: LoadOptions (nine profile reads of the launcher
// ini), the full SaveOptions of a first close (eleven safe rewrites), a buffered placement
// save, and a catalog lookup.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "messages/MesTable.h"
#include "platform/profile_file.h"
#include "settings/SettingsStore.h"
#include "settings/iniacs.h"

namespace {

std::string TempFolder() {
    char name[] = "/tmp/vantrel-bench-XXXXXX";
    const char* made = mkdtemp(name);
    return made ? std::string(made) + "/" : std::string("/tmp/");
}

// The benchmark's own folder, removed with its files when the run ends.
struct BenchFolder {
    std::string path = TempFolder();
    ~BenchFolder() {
        if (path != "/tmp/") std::filesystem::remove_all(path);
    }
};

const std::string& Folder() {
    static const BenchFolder folder;
    return folder.path;
}

void BM_LoadOptions(benchmark::State& state) {
    const std::string path = Folder() + "load.ini";
    {
        SettingsStore store(path);
        SaveOptions(store, AppSettings(), 1);
    }
    for (auto _ : state) {
        SettingsStore store(path);
        AppSettings settings;
        LoadOptions(store, settings);
        benchmark::DoNotOptimize(settings.chMode[3]);
    }
}
BENCHMARK(BM_LoadOptions);

void BM_SaveOptionsAllKeys(benchmark::State& state) {
    const std::string path = Folder() + "save.ini";
    for (auto _ : state) {
        SettingsStore store(path);
        SaveOptions(store, AppSettings(), 1);
    }
}
BENCHMARK(BM_SaveOptionsAllKeys)->Unit(benchmark::kMillisecond);

void BM_BufferedPlacementSave(benchmark::State& state) {
    const std::string path = Folder() + "place.ini";
    for (auto _ : state) {
        iniacs ini;
        ini.iniPath = path;
        ini.buffered = 1;
        ini.WriteInt("Left", "System", 100);
        ini.WriteInt("Top", "System", 200);
    }
}
BENCHMARK(BM_BufferedPlacementSave)->Unit(benchmark::kMillisecond);

void BM_GetMesText(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(GetMesText(2));
}
BENCHMARK(BM_GetMesText);

}  // namespace

BENCHMARK_MAIN();

// The launcher's costs: appending a line to a full log (301 lines), and the CPU the launcher
// uses over 10 s with four idle channels, next to a bare thread sleeping 1 ms in a loop that
// runs at the same time.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>
#include <filesystem>
#include <future>
#include <string>

#include "bare_loop.h"
#include "launcher/CVantrelDlg.h"

namespace {

// A launcher with its own ini, COM folder and status words, removed afterwards.
struct BenchLauncher {
    BenchLauncher() {
        char tmpl[] = "/tmp/vantrel-bench-XXXXXX";
        folder = mkdtemp(tmpl);
        statlink = "/vantrel-bench-launcher-" + std::to_string(getpid());
        setenv("VANTREL_STATLINK", statlink.c_str(), 1);
        setenv("VANTREL_COM_DIR", (folder + "/").c_str(), 1);
        settings.launcherIni = folder + "/vantrel.ini";
        settings.exePath = folder + "/no-panel";
        settings.chMode = {1, 2, 3, 1};  // four typed rows, none running
        dialog = std::make_unique<CVantrelDlg>(&settings);
        dialog->show();
        QCoreApplication::processEvents();
    }
    ~BenchLauncher() {
        dialog.reset();
        shm_unlink(statlink.c_str());
        shm_unlink((statlink + ".watch").c_str());
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string folder;
    std::string statlink;
    AppSettings settings;
    std::unique_ptr<CVantrelDlg> dialog;
};

void BM_AppendLogToFullLog(benchmark::State& state) {
    BenchLauncher launcher;
    launcher.dialog->ToggleLogArea();  // the log shown, as the user would see it
    for (int i = 0; i < 301; ++i)
        launcher.dialog->AppendLog("QVX-A/Dの処理を開始しました。CH[1] COM[5]");
    for (auto _ : state) {
        launcher.dialog->AppendLog("QVX-A/Dの処理が終了しました。Ch[1] COM[5]");
    }
    state.counters["lines"] = launcher.dialog->logEdit->document()->blockCount() - 1;
}
BENCHMARK(BM_AppendLogToFullLog)->Unit(benchmark::kMicrosecond);

void BM_IdleLauncherCpuOverTenSeconds(benchmark::State& state) {
    constexpr int kRunMs = 10000;
    for (auto _ : state) {
        BenchLauncher launcher;
        const pid_t tid = static_cast<pid_t>(launcher.dialog->supervisor->threadId.load());
        const int64_t supervision0 = ThreadCpuNs(tid);
        const double process0 = ProcessCpuMs();

        // The bare loop runs in the same 10 s, on its own thread.
        auto bare = std::async(std::launch::async, [] { return MeasureBareSleepLoop(kRunMs); });
        QEventLoop loop;
        QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
        loop.exec();
        const LoopCpu bareCpu = bare.get();

        const double supervisionMs = static_cast<double>(ThreadCpuNs(tid) - supervision0) / 1e6;
        const double processMs = ProcessCpuMs() - process0 - bareCpu.cpuMs;
        state.counters["supervision_cpu_ms"] = supervisionMs;
        state.counters["supervision_cpu_pct"] = supervisionMs / kRunMs * 100.0;
        state.counters["launcher_process_cpu_ms"] = processMs;
        state.counters["bare_loop_cpu_ms"] = bareCpu.cpuMs;
        state.counters["bare_loop_cpu_pct"] = bareCpu.cpuMs / bareCpu.wallMs * 100.0;
        state.counters["bare_loop_passes"] = static_cast<double>(bareCpu.passes);
    }
}
BENCHMARK(BM_IdleLauncherCpuOverTenSeconds)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

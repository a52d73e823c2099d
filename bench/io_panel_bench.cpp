// The I/O panel's refresh runs after every worker step (about a thousand times a second): when
// nothing changed it must cost next to nothing. Measured on the real window (offscreen), with no
// box behind its port, so the worker has gone idle and only the benchmark refreshes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "iograph/CButtonFlag.h"
#include "panels/clsDlgIO.h"
#include "platform/message_box.h"
#include "testkit/isolated_env.h"

namespace {

std::string g_folder;

AppSettings IoSettings() {
    AppSettings s;
    s.role = kRoleIo;
    s.channelIndex = 0;
    s.ioIni = g_folder + "vantrelIO9.ini";
    s.ioBlock.ioCom = 9;
    return s;
}

// A refresh in which no input changed and no sample is due.
void BM_IoRefreshNothingChanged(benchmark::State& state) {
    AppSettings settings = IoSettings();
    clsDlgIO panel(&settings);
    static uint32_t now = 1000;
    panel.clock = [] { return now; };
    panel.show();
    panel.Refresh();
    for (auto _ : state) panel.Refresh();
}
BENCHMARK(BM_IoRefreshNothingChanged);

// A refresh that also records a sample into the recording graph (hidden, so nothing paints).
void BM_IoRefreshWithSample(benchmark::State& state) {
    AppSettings settings = IoSettings();
    clsDlgIO panel(&settings);
    static uint32_t now = 1000;
    panel.clock = [] { return now; };
    panel.show();
    panel.Graph()->runButton->click();
    for (auto _ : state) {
        now += 100;
        panel.Refresh();
    }
}
BENCHMARK(BM_IoRefreshWithSample);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Own settings, COM port folder (empty: no box behind COM9) and status words, removed at the
    // end; made before the application so that Qt sees the run's folders.
    testkit::IsolatedEnv env("vantrel-io-bench");
    g_folder = env.root();
    SetMessageBoxHook([](const std::string&) {});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

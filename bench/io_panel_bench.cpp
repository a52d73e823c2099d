// The I/O panel's refresh runs after every worker step (about a thousand times a second): when
// nothing changed it must cost next to nothing. Measured on the real window (offscreen), with no
// box behind its port, so the worker has gone idle and only the benchmark refreshes.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QApplication>
#include <string>

#include "iograph/CButtonFlag.h"
#include "panels/clsDlgIO.h"
#include "platform/message_box.h"

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
    char tmpl[] = "/tmp/vantrel-io-bench-XXXXXX";
    g_folder = std::string(mkdtemp(tmpl)) + "/";
    const std::string segment = "/vantrel-bench-io-" + std::to_string(getpid());
    setenv("VANTREL_STATLINK", segment.c_str(), 1);
    setenv("VANTREL_COM_DIR", g_folder.c_str(), 1);
    SetMessageBoxHook([](const std::string&) {});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shm_unlink(segment.c_str());
    const std::string cleanup = "rm -rf '" + g_folder + "'";
    return system(cleanup.c_str()) == 0 ? 0 : 1;
}

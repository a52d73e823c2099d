// Cost of the A/D strip chart with a full history: 20001 samples kept on each of eight
// channels. The panel appends one sample per channel every 500 ms; the window then puts the
// samples into its traces and repaints, all on the user-interface thread. The target for
// BM_StripChart_AppendRefreshRepaint is at most 5 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChartView>
#include <cmath>
#include <string>
#include <vector>

#include "GraphComponent.h"
#include "csv_export.h"
#include "plotwin.h"

namespace {

constexpr int kChannels = 8;
constexpr int kPoints = 20001;
int64_t g_sample = 0;

void AppendOneRound() {
    for (int ch = 1; ch <= kChannels; ++ch) {
        const double v = 5.0 * std::sin(0.001 * static_cast<double>(g_sample) + ch) + ch;
        GraphPutData(ch, &v, 1, 1);
    }
    ++g_sample;
}

// An open window at 1280 x 720 holding a full history.
plotwin::StripChartWindow* FullWindow() {
    GraphTerminate();
    GraphInitialize(kChannels, 500, kPoints, nullptr);
    for (int i = 0; i < kPoints; ++i) AppendOneRound();
    GraphOpen();
    plotwin::StripChartWindow* w = plotwin::GraphComponent::Existing()->window();
    w->resize(1280, 720);
    QCoreApplication::processEvents();
    return w;
}

// The panel's part: one sample on each channel.
void BM_StripChart_Append(benchmark::State& state) {
    FullWindow();
    for (auto _ : state) AppendOneRound();
}
BENCHMARK(BM_StripChart_Append);

// One refresh tick after a round of samples: the series take the new history.
void BM_StripChart_AppendAndRefresh(benchmark::State& state) {
    FullWindow();
    for (auto _ : state) {
        AppendOneRound();
        plotwin::GraphComponent::Existing()->Refresh();
    }
}
BENCHMARK(BM_StripChart_AppendAndRefresh)->Unit(benchmark::kMillisecond);

// The whole refresh as the user sees it: append, refresh and a synchronous repaint.
void BM_StripChart_AppendRefreshRepaint(benchmark::State& state) {
    plotwin::StripChartWindow* w = FullWindow();
    for (auto _ : state) {
        AppendOneRound();
        plotwin::GraphComponent::Existing()->Refresh();
        QCoreApplication::processEvents();  // the chart lays its series out
        w->view()->viewport()->repaint();
    }
}
BENCHMARK(BM_StripChart_AppendRefreshRepaint)->Unit(benchmark::kMillisecond);

// The same while the user has paused the chart to look back: samples keep arriving.
void BM_StripChart_PausedAppendRefreshRepaint(benchmark::State& state) {
    plotwin::StripChartWindow* w = FullWindow();
    w->Pause();
    for (auto _ : state) {
        AppendOneRound();
        plotwin::GraphComponent::Existing()->Refresh();
        QCoreApplication::processEvents();
        w->view()->viewport()->repaint();
    }
}
BENCHMARK(BM_StripChart_PausedAppendRefreshRepaint)->Unit(benchmark::kMillisecond);

// One step of the user scrolling back through the history, zoomed to a quarter of it: the
// traces are thinned anew for each position.
void BM_StripChart_ScrollRepaint(benchmark::State& state) {
    plotwin::StripChartWindow* w = FullWindow();
    w->Zoom(0.25, 0);
    int64_t low = 0;
    for (auto _ : state) {
        const int64_t first = plotwin::GraphComponent::Existing()->ring(0).firstNumber();
        low = (low + 97) % 15000;
        w->ScrollTo(first + low);
        QCoreApplication::processEvents();
        w->view()->viewport()->repaint();
    }
}
BENCHMARK(BM_StripChart_ScrollRepaint)->Unit(benchmark::kMillisecond);

// The text of a CSV export of the whole history (the file write comes on top).
void BM_StripChart_CsvText(benchmark::State& state) {
    FullWindow();
    const plotwin::GraphComponent* g = plotwin::GraphComponent::Existing();
    std::vector<plotwin::SampleRing> rings;
    for (int c = 0; c < g->channels(); ++c) rings.push_back(g->ring(c));
    std::vector<std::string> names;
    for (int c = 1; c <= g->channels(); ++c) names.push_back("CH" + std::to_string(c));
    for (auto _ : state) benchmark::DoNotOptimize(plotwin::SamplesCsv(rings, names, 500));
}
BENCHMARK(BM_StripChart_CsvText)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    GraphTerminate();
    benchmark::Shutdown();
    return 0;
}

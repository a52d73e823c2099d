// Cost of one full paint of the I/O timing chart: 1001 samples in view on eight traces,
// 1280 x 720, into an off-screen image as every paint does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <memory>

#include "iograph/CChartLogic.h"
#include "iograph/CScrollBarChart.h"
#include "platform/fonts.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// A chart holding 1001 samples, all in view; input i changes every period(i) samples
// (0 = never).
struct FilledChart {
    CScrollBarChart scroll;
    CChartLogic chart;

    template <class Period>
    explicit FilledChart(Period period) {
        chart.Setup(ChartColors{0x000000, 0x808080, 0xFFFF00, 0x00FF00, 0x00FFFF}, &scroll);
        chart.followLatest = 1;
        chart.ClearSamples();
        for (int n = 0; n < 1001; ++n) {
            for (int i = 0; i < kInputCount; ++i) {
                const int p = period(i);
                ioGraphInputs[i] = p > 0 ? (n / p) % 2 : 1;
            }
            chart.AddInputSample();  // hidden: stores without painting
        }
        chart.SetView(0, 1000);
    }
};

void Paint(benchmark::State& state, FilledChart& f, bool freshImage) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        if (freshImage) image = QImage(kWidth, kHeight, QImage::Format_RGB32);
        f.chart.Render(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Inputs changing now and then: every 7 to 42 samples (about 200 level changes in view).
void BM_ChartPaint_Typical(benchmark::State& state) {
    FilledChart f([](int i) { return 7 + 5 * i; });
    Paint(state, f, false);
}
BENCHMARK(BM_ChartPaint_Typical)->Unit(benchmark::kMicrosecond);

// The same with a new image per paint, as the widget's paint makes one.
void BM_ChartPaint_TypicalFreshImage(benchmark::State& state) {
    FilledChart f([](int i) { return 7 + 5 * i; });
    Paint(state, f, true);
}
BENCHMARK(BM_ChartPaint_TypicalFreshImage)->Unit(benchmark::kMicrosecond);

// Steady inputs: straight lines and one end mark per trace.
void BM_ChartPaint_Steady(benchmark::State& state) {
    FilledChart f([](int) { return 0; });
    Paint(state, f, false);
}
BENCHMARK(BM_ChartPaint_Steady)->Unit(benchmark::kMicrosecond);

// Worst case: every input changes at every sample (8000 edges, 8000 marks).
void BM_ChartPaint_EverySampleChanges(benchmark::State& state) {
    FilledChart f([](int) { return 1; });
    Paint(state, f, false);
}
BENCHMARK(BM_ChartPaint_EverySampleChanges)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Memory of an A/D panel whose strip chart holds its full history: the real A/D panel runs in
// this process through the real start-up against qvx-boxsim; once it polls, 20001 samples per
// channel (what about 2.8 hours of refreshes would bring) go into the graph component, its
// window is opened and painted, and the peak resident set (VmHWM) of the process is read.
//
//   ad_memory_bench
//
// Prints a "FIGURE" line for scripts/figures.
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/module_path.h"
#include "plotwin.h"
#include "proc_support.h"
#include "startup/CVantrelApp.h"
#include "startup/RoleDialogs.h"
#include "startup/application_setup.h"
#include "statlink.h"

using namespace bench;

namespace {

constexpr int kChannels = 8;
constexpr int kHistory = 20001;
constexpr const char* kTarget = "<= 60 MB VmHWM";
int g_result = 0;

void PumpMs(int ms) {
    const int64_t end = NowMs() + ms;
    while (NowMs() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void FillAndMeasure(const Simulator& sim) {
    if (!WaitFor(
            [&] {
                QCoreApplication::processEvents();
                return sim.CountInLog("rx \"B7\"") >= 2;
            },
            60000, kPollMs)) {
        PrintFigure("mem-ad-full", "A/D panel with a full strip-chart history", kTarget,
                    "the panel did not poll", "-", false);
        g_result = 1;
        slk_SetMainSta(0, 1);
        return;
    }
    const long before = VmHwmKb(getpid());
    for (int n = 0; n < kHistory; ++n) {
        for (int ch = 1; ch <= kChannels; ++ch) {
            const double v = 5.0 * std::sin(0.001 * n + ch);
            GraphPutData(ch, &v, 1, 1);
        }
    }
    GraphOpen();
    PumpMs(3000);  // the window lays out and paints its series, the panel keeps polling
    const long hwm = VmHwmKb(getpid());
    const bool met = hwm > 0 && hwm <= 60 * 1024;
    if (!met) g_result = 1;
    char measured[100];
    std::snprintf(measured, sizeof measured, "%.1f MB (%.1f MB before the history)", hwm / 1024.0,
                  before / 1024.0);
    char ratio[50];
    std::snprintf(ratio, sizeof ratio, "%.2f of limit", hwm / (60.0 * 1024));
    PrintFigure("mem-ad-full", "A/D panel with a full strip-chart history (20001 x 8, window open)",
                kTarget, measured, ratio, met);
    slk_SetMainSta(0, 1);  // the panel ends as when its launcher asks
}

}  // namespace

int main(int argc, char** argv) {
    RunEnv env;  // before the application, so Qt and the panel see the run's folders
    QApplication app(argc, argv);
    SetUpApplication(ModulePath());
    Simulator sim(env, {"ad,speed=19200,com=3,volts=1/2/3/4/5/6/7/8"});
    if (!sim.ready()) {
        std::fprintf(stderr, "ad_memory_bench: the simulator did not start\n");
        return 1;
    }
    slk_SetMainSta(0, 0);
    CVantrelApp theApp;
    theApp.SetRoleDialogFactory([&sim](AppSettings* settings) {
        std::unique_ptr<QDialog> dialog = MakeRoleDialog(settings);
        QTimer::singleShot(0, dialog.get(), [&sim] { FillAndMeasure(sim); });
        return dialog;
    });
    // As if this were vantrel in the build's bin folder (PlotwinInitData lies there).
    theApp.InitInstance({"/3", "/QVX-AD", "/0"}, BinDir() + "vantrel");
    return g_result;
}

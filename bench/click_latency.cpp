// Latency from a click on a panel's button to the last byte of the command it causes at the
// box: the panel runs in this process through the real start-up (CVantrelApp with the role's
// real dialog) against qvx-boxsim on a pty, and its buttons are clicked here. The simulator logs
// each complete command line with a millisecond time stamp; the latency of a click is that
// stamp (+ 0.5 ms, the middle of its millisecond) minus the time of the click.
//
//   click_latency_bench [--kind io|io-interrupt|da] [--clicks N]
//     io  the I/O panel's output button OUT00 (id 1009), toggled, while the panel polls
//     io-interrupt  the same with the panel in interrupt mode (IN00's interrupt box ticked)
//     da  the D/A panel's presets (ids 1002 and 1004) in turn
//
// Prints the median, p99 and maximum, and "FIGURE" lines for scripts/figures.
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "panels/clsDlgDA.h"
#include "platform/module_path.h"
#include "proc_support.h"
#include "startup/CVantrelApp.h"
#include "startup/RoleDialogs.h"
#include "startup/application_setup.h"
#include "statlink.h"

using namespace bench;

namespace {

struct Kind {
    std::string id;  // of the FIGURE line
    std::string name;
    std::string box;
    std::vector<std::string> args;
    int channel;
    std::vector<int> buttons;  // clicked in turn
    std::string command;       // what the click makes the panel send, as the log shows it
    std::string echo;
    int before = 0;  // a control clicked once before the clicks are timed (0: none)
};

Kind IoKind() {
    return {"latency-io",
            "I/O output button",
            "io,speed=9600,com=5",
            {"/5", "/QVX-IO", "/2"},
            2,
            {1009},
            " rx \"O",
            " tx \"O"};
}

// The same button with the panel in interrupt mode (the IN00 interrupt box ticked first): the
// worker sleeps on the port, so a click meets no outstanding poll.
Kind IoInterruptKind() {
    Kind kind = IoKind();
    kind.id = "latency-io-interrupt";
    kind.name = "I/O output button in interrupt mode";
    kind.before = 1017;
    return kind;
}

Kind DaKind() {
    return {"latency-da",
            "D/A preset button",
            "da,speed=9600,com=4",
            {"/4", "/QVX-DA", "/1"},
            1,
            {1002, 1004},
            " rx \"P",
            " tx \"P"};
}

// The first complete line of the simulator's log after byte `from` that contains text, and in
// *end the offset after it; "" when none came in timeoutMs. The window's events are handled
// meanwhile, as the panel's own event loop would, and only the log's new part is read.
std::string WaitForLine(const Simulator& sim, size_t from, const std::string& text, int timeoutMs,
                        size_t* end) {
    std::string found;
    WaitFor(
        [&] {
            QCoreApplication::processEvents();
            const std::string log = sim.LogFrom(from);
            const size_t at = log.find(text);
            if (at == std::string::npos) return false;
            const size_t nl = log.find('\n', at);
            if (nl == std::string::npos) return false;
            const size_t start = log.rfind('\n', at);
            found = log.substr(start == std::string::npos ? 0 : start + 1,
                               nl - (start == std::string::npos ? 0 : start + 1));
            *end = from + nl + 1;
            return true;
        },
        timeoutMs, kPollMs);
    return found;
}

void PumpMs(int ms) {
    const int64_t end = NowMs() + ms;
    while (NowMs() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

int g_result = 0;

// Runs the clicks inside the panel's modal loop, then asks the panel to end.
void RunClicks(QDialog* dialog, const Kind& kind, const Simulator& sim, int clicks) {
    std::vector<QAbstractButton*> buttons;
    for (int id : kind.buttons) {
        if (auto* b = dialog->findChild<QAbstractButton*>(QStringLiteral("ctl%1").arg(id))) {
            buttons.push_back(b);
        }
    }
    const std::string what = "click on the " + kind.name + " to the command's last byte at the box";
    if (buttons.size() != kind.buttons.size()) {
        PrintFigure(kind.id, what, "median <= 1 ms, p99 <= 3 ms", "the panel lacks the buttons",
                    "-", false);
        g_result = 1;
        slk_SetMainSta(kind.channel, 1);
        dialog->done(0);
        return;
    }
    PumpMs(500);  // the worker's first step pauses 100 ms; the I/O worker then starts polling
    if (kind.before != 0) {
        if (auto* b =
                dialog->findChild<QAbstractButton*>(QStringLiteral("ctl%1").arg(kind.before))) {
            b->click();
        }
        PumpMs(200);
    }
    std::mt19937 random(12345);
    std::vector<double> latencies;
    int lost = 0;
    // Only a click makes the panel send this command, so each search starts after the previous
    // click's echo (the first after the panel's start-up commands).
    size_t from = sim.Log().size();
    for (int n = 0; n < clicks; ++n) {
        const double clickedAt = LocalDayMs();
        buttons[static_cast<size_t>(n) % buttons.size()]->click();
        size_t after = from;
        const std::string line = WaitForLine(sim, from, kind.command, 2000, &after);
        if (line.empty()) {
            ++lost;
            if (lost > 3) break;
            from = sim.Log().size();  // past a command that comes too late
            continue;
        }
        double ms = LogStampMs(line) + 0.5 - clickedAt;
        if (ms < -43200000) ms += 86400000;  // past midnight
        latencies.push_back(ms);
        from = after;
        // The echo, and a pause at a random point of the worker's 1 ms loop.
        WaitForLine(sim, after, kind.echo, 2000, &from);
        if (const auto* da = qobject_cast<const clsDlgDA*>(dialog)) {
            // The D/A worker compares the echo with the value in effect when it reads it, and
            // stops for good on a mismatch (code 13); on a loaded machine it may read the echo
            // later than the pause below, so the next click waits until it has.
            WaitFor(
                [&] {
                    QCoreApplication::processEvents();
                    return !da->WaitingForEcho();
                },
                2000, kPollMs);
        }
        PumpMs(5 + static_cast<int>(random() % 16));
    }
    const double median = Percentile(latencies, 0.5);
    const double p99 = Percentile(latencies, 0.99);
    const double worst = Percentile(latencies, 1.0);
    // When clicks sent nothing, the panel's error code tells whether its worker had stopped.
    char why[100] = "";
    if (lost) {
        std::snprintf(why, sizeof why, " (%d clicks sent nothing; the panel's error code %d)", lost,
                      slk_GetChildErr(kind.channel));
    }
    char measured[200];
    std::snprintf(measured, sizeof measured,
                  "median %.1f ms, p99 %.1f ms, max %.1f ms over %zu clicks%s", median, p99, worst,
                  latencies.size(), why);
    const bool met = lost == 0 && !latencies.empty() && median <= 1.0 && p99 <= 3.0;
    if (!met) g_result = 1;
    char ratio[100];
    std::snprintf(ratio, sizeof ratio, "median %.2f, p99 %.2f of limit", median / 1.0, p99 / 3.0);
    PrintFigure(kind.id, what, "median <= 1 ms, p99 <= 3 ms", measured, ratio, met);
    slk_SetMainSta(kind.channel, 1);  // the panel ends as when its launcher asks
}

}  // namespace

constexpr const char* kUsage =
    "usage: click_latency_bench [--kind io|io-interrupt|da] [--clicks N]\n";

int main(int argc, char** argv) {
    Kind kind = IoKind();
    int clicks = 300;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--kind" && i + 1 < argc) {
            const std::string k = argv[++i];
            if (k == "da") {
                kind = DaKind();
            } else if (k == "io-interrupt") {
                kind = IoInterruptKind();
            } else if (k != "io") {
                std::fprintf(stderr, "%s", kUsage);
                return 2;
            }
        } else if (a == "--clicks" && i + 1 < argc) {
            clicks = std::max(10, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "%s", kUsage);
            return 2;
        }
    }
    RunEnv env;  // before the application, so Qt and the panel see the run's folders
    QApplication app(argc, argv);
    SetUpApplication(ModulePath());
    Simulator sim(env, {kind.box});
    if (!sim.ready()) {
        std::fprintf(stderr, "click_latency_bench: the simulator did not start\n");
        return 1;
    }
    slk_SetMainSta(kind.channel, 0);
    CVantrelApp theApp;
    theApp.SetRoleDialogFactory([&](AppSettings* settings) {
        std::unique_ptr<QDialog> dialog = MakeRoleDialog(settings);
        QDialog* d = dialog.get();
        QTimer::singleShot(0, d, [d, &kind, &sim, clicks] { RunClicks(d, kind, sim, clicks); });
        return dialog;
    });
    // As if this were vantrel in the build's bin folder.
    theApp.InitInstance(kind.args, BinDir() + "vantrel");
    return g_result;
}

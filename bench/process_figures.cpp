// Whole-program figures: the real vantrel started as the user (launcher) or the launcher (panel
// processes) starts it, against qvx-boxsim on pseudo-terminals.
//
//   process_figures [--seconds N] [--rounds R] [--pin CPU] [launcher] [launcher4] [ad] [da]
//                   [da-alone] [io] [io-interrupt] [child-end] [peer] [shutdown] [da-net]
//                   [ad-net] [floors]
//   (default: all cases, 3 rounds of 10 s; the network cases need ser2net and are skipped
//   without it)
//
// CPU: a case runs its process until it has settled, then R rounds of N seconds each. In each
// round a bare loop process (this program with --bare-loop: nothing but a 1 ms sleep per pass,
// as in bare_loop.h) runs beside it, and both processes' CPU times (/proc/<pid>/stat utime +
// stime) are read before and after; the round's figure is the ratio of the two, and the case's
// figure is the median round. The sum of the threads' run times from schedstat (nanoseconds,
// not clock ticks) is given as a check. --pin keeps both processes on one CPU.
// Memory: the peak resident set (VmHWM) of each panel process at the end of its run.
// I/O polls: the "I" lines the simulator received in the run, per second, against one poll per
// two passes of the bare loop.
// Shutdown: a launcher with four running panels gets SIGTERM; each panel's end is timed.
// Child end: a child status 3 set through statlink until the launcher's supervision has taken it
// (reset it to 0, right before it posts the log line).
// Peer: an event-driven serial terminal (picocom, where installed) holding a box's pty open.
//
// Every figure is also printed as one tab-separated line "FIGURE id what target measured
// verdict", which scripts/figures gathers into docs/FIGURES.md.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "proc_support.h"
#include "statlink.h"
#include "testkit/ser2net.h"

using namespace bench;

namespace {

volatile sig_atomic_t g_stopBare = 0;
void OnStopBare(int) {
    g_stopBare = 1;
}

// The yardstick process: sleeps 1 ms per pass until SIGTERM, then prints its passes and wall
// time.
int RunBareLoop() {
    signal(SIGTERM, OnStopBare);
    const double start = MonoMsExact();
    long passes = 0;
    while (!g_stopBare) {
        const timespec oneMs{0, 1000000};
        nanosleep(&oneMs, nullptr);
        ++passes;
    }
    std::printf("passes %ld wall_ms %.1f\n", passes, MonoMsExact() - start);
    return 0;
}

// The watch duty's floor: nothing but a 10 ms sleep per pass until SIGTERM, the wakes a look
// every 10 ms cannot do without.
int RunLookFloor() {
    signal(SIGTERM, OnStopBare);
    while (!g_stopBare) {
        const timespec tenMs{0, 10000000};
        nanosleep(&tenMs, nullptr);
    }
    return 0;
}

// The polling worker's floor on the I/O box at path: its two paced steps per poll and nothing
// else. One sends "I\n" and sleeps 1 ms, the next waits for the reply's line end, reads it and
// sleeps 1 ms; no window, no status words, no parsing.
int RunPollFloor(const char* path) {
    signal(SIGTERM, OnStopBare);
    const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);  // the box answers only at its own speed
    tcsetattr(fd, TCSANOW, &tio);
    long polls = 0;
    const timespec oneMs{0, 1000000};
    while (!g_stopBare) {
        if (write(fd, "I\n", 2) != 2) break;
        nanosleep(&oneMs, nullptr);
        for (bool lineEnd = false; !lineEnd && !g_stopBare;) {
            pollfd port{fd, POLLIN, 0};
            if (poll(&port, 1, 100) <= 0) continue;
            char reply[64];
            const ssize_t n = read(fd, reply, sizeof reply);
            lineEnd = n > 0 && std::memchr(reply, '\n', static_cast<size_t>(n)) != nullptr;
        }
        ++polls;
        nanosleep(&oneMs, nullptr);
    }
    std::printf("polls %ld\n", polls);
    return 0;
}

int g_seconds = 10;
int g_rounds = 3;
int g_pinCpu = -1;  // -1: no pinning
int g_missed = 0;

std::string Fmt(const char* format, double a, double b = 0, double c = 0, double d = 0) {
    char buf[256];
    std::snprintf(buf, sizeof buf, format, a, b, c, d);
    return buf;
}

// ratio: the measured value over the target's limit (CPU: over the bare loop).
void Figure(const std::string& id, const std::string& what, const std::string& target,
            const std::string& measured, bool met, const std::string& ratio = "-") {
    if (!met) ++g_missed;
    PrintFigure(id, what, target, measured, ratio, met);
}

void Note(const std::string& text) {
    std::printf("  %s\n", text.c_str());
    std::fflush(stdout);
}

struct CpuRun {
    double targetStatMs = 0, targetSchedMs = 0;
    double bareStatMs = 0, bareSchedMs = 0;
    double wallMs = 0;
    double barePassesPerS = 0;
    std::string threads;  // each thread's share: "main 12.3 ms, 4711 45.6 ms, ..."
    double statRatio() const { return bareStatMs > 0 ? targetStatMs / bareStatMs : INFINITY; }
    double schedRatio() const { return bareSchedMs > 0 ? targetSchedMs / bareSchedMs : INFINITY; }
};

// One round: runs the bare loop beside pid for g_seconds and reads both.
CpuRun MeasureCpuRound(const RunEnv& env, pid_t pid) {
    CpuRun run;
    const std::string bareOut = env.root() + "bare.out";
    std::remove(bareOut.c_str());
    const pid_t bare = StartProgram("process_figures", {"--bare-loop"}, bareOut);
    if (g_pinCpu >= 0) {
        // Both on one CPU, so that both meet the same load from the rest of the machine.
        PinToCpu(pid, g_pinCpu);
        PinToCpu(bare, g_pinCpu);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // past its start-up
    const std::map<pid_t, ThreadRun> threads0 = ReadThreadRuns(pid);
    const ProcCpu t0 = ReadProcCpu(pid);
    const ProcCpu b0 = ReadProcCpu(bare);
    const double w0 = MonoMsExact();
    std::this_thread::sleep_for(std::chrono::seconds(g_seconds));
    const ProcCpu t1 = ReadProcCpu(pid);
    const ProcCpu b1 = ReadProcCpu(bare);
    run.wallMs = MonoMsExact() - w0;
    for (const auto& [tid, t] : ReadThreadRuns(pid)) {
        const auto before = threads0.find(tid);
        const double ms = t.ms - (before == threads0.end() ? 0.0 : before->second.ms);
        if (ms < 0.05) continue;
        if (!run.threads.empty()) run.threads += ", ";
        run.threads +=
            (tid == pid ? std::string("window thread") : t.name + " " + std::to_string(tid)) +
            Fmt(" %.1f ms", ms);
    }
    StopProcess(bare);
    run.targetStatMs = t1.statMs - t0.statMs;
    run.targetSchedMs = t1.schedMs - t0.schedMs;
    run.bareStatMs = b1.statMs - b0.statMs;
    run.bareSchedMs = b1.schedMs - b0.schedMs;
    long passes = 0;
    double bareWall = 0;
    if (std::sscanf(ReadFile(bareOut).c_str(), "passes %ld wall_ms %lf", &passes, &bareWall) == 2 &&
        bareWall > 0) {
        run.barePassesPerS = static_cast<double>(passes) * 1000.0 / bareWall;
    }
    return run;
}

// The rounds of one case: the one with the median ratio, and every round's ratio.
struct CpuRuns {
    CpuRun median;
    std::string ratios;  // "1.02x 1.10x 1.07x"
    double wallMs = 0;   // from before the first round to after the last
    double barePassesPerS = 0;
};

// g_rounds rounds of g_seconds; the median round's ratio is the figure, so that one round
// disturbed by other work on the machine does not decide it. `atStart` and `atEnd` run before
// the first and after the last round (to count log lines over the same span).
CpuRuns MeasureCpu(const RunEnv& env, pid_t pid, const std::function<void()>& atStart = {},
                   const std::function<void()>& atEnd = {}) {
    CpuRuns runs;
    std::vector<CpuRun> rounds;
    const double w0 = MonoMsExact();
    if (atStart) atStart();
    for (int i = 0; i < g_rounds; ++i) {
        rounds.push_back(MeasureCpuRound(env, pid));
        runs.barePassesPerS += rounds.back().barePassesPerS / g_rounds;
    }
    if (atEnd) atEnd();
    runs.wallMs = MonoMsExact() - w0;
    for (const CpuRun& r : rounds)
        runs.ratios += (runs.ratios.empty() ? "" : " ") + Fmt("%.2fx", r.statRatio());
    std::sort(rounds.begin(), rounds.end(),
              [](const CpuRun& a, const CpuRun& b) { return a.statRatio() < b.statRatio(); });
    runs.median = rounds[rounds.size() / 2];
    return runs;
}

// The CPU rounds of pid, and in *count how often text came into the simulator's log meanwhile.
CpuRuns MeasureCpuCounting(const RunEnv& env, pid_t pid, const Simulator& sim,
                           const std::string& text, int* count) {
    int before = 0;
    return MeasureCpu(
        env, pid, [&] { before = sim.CountInLog(text); },
        [&] { *count = sim.CountInLog(text) - before; });
}

void CpuFigure(const std::string& id, const std::string& what, double limit, const CpuRuns& runs) {
    const CpuRun& r = runs.median;
    Note("median round's threads: " + r.threads);
    // No limit: a reference figure that other figures are read against.
    Figure(id, what,
           std::isinf(limit) ? std::string("- (reference)") : Fmt("<= %.2gx bare loop", limit),
           Fmt("%.2fx, median of %.0f rounds (", r.statRatio(), g_rounds) + runs.ratios +
               Fmt("); median round: %.0f ms vs %.0f ms CPU in %.1f s", r.targetStatMs,
                   r.bareStatMs, r.wallMs / 1000.0) +
               Fmt(", schedstat %.2fx: %.1f vs %.1f ms", r.schedRatio(), r.targetSchedMs,
                   r.bareSchedMs),
           r.statRatio() <= limit, Fmt("%.2fx bare loop", r.statRatio()));
}

void MemoryFigure(const std::string& id, const std::string& what, pid_t pid) {
    const long hwm = VmHwmKb(pid);
    Figure(id, what, "<= 60 MB VmHWM",
           Fmt("%.1f MB (VmRSS now %.1f MB)", hwm / 1024.0, VmRssKb(pid) / 1024.0),
           hwm > 0 && hwm <= 60 * 1024, Fmt("%.2f of limit", hwm / (60.0 * 1024)));
}

// Ends a panel through its channel's main word and times it.
void EndPanel(const std::string& id, const std::string& name, pid_t pid, int channel) {
    const double t0 = MonoMsExact();
    slk_SetMainSta(channel, 1);
    const int code = ExitCodeWithin(pid, 30000, kPollMs);
    const double ms = MonoMsExact() - t0;
    if (code < 0) StopProcess(pid, 1000);
    const int childStatus = slk_GetChildSta(channel);
    Figure(id, name + " ended by the main word: time to process exit",
           "<= 30 ms, exit 0, child status 3",
           Fmt("%.1f ms, exit %.0f, child status %.0f", ms, code, childStatus),
           code == 0 && childStatus == 3 && ms <= 30, Fmt("%.2f of limit", ms / 30.0));
}

// A launcher holds its segment's watch duty (the look every 10 ms for words written without the
// library) while its panels run, and a panel started beside it does not. In the panel cases the
// benchmark holds it for the run's segment, so a panel's figure is what it costs beside its
// launcher; "da-alone" measures a panel that holds it itself (started by hand).
void HoldWatchDuty() {
    if (slk_TakeWatch() != 1) Note("the watch duty of the run's segment is held elsewhere");
}

pid_t StartVantrel(const RunEnv& env, const std::vector<std::string>& args,
                   const std::string& name) {
    return StartProgram("vantrel", args, env.root() + name + ".out");
}

void CaseLauncher() {
    std::printf("launcher: four rows typed, none running, supervision thread waiting\n");
    RunEnv env;
    WriteFile(env.launcherIni(),
              "[Option]\r\nCh1_COM=3\r\nCh1_MODE=3\r\nCh2_COM=4\r\nCh2_MODE=2\r\n"
              "Ch3_COM=5\r\nCh3_MODE=1\r\nCh4_COM=6\r\nCh4_MODE=3\r\n");
    const pid_t pid = StartVantrel(env, {}, "launcher");
    if (!WaitFor([&] { return CatchesSigterm(pid); }, 60000, kPollMs)) {
        Figure("cpu-launcher", "launcher CPU", "<= 0.15x bare loop", "did not start", false);
        StopProcess(pid);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const CpuRuns r = MeasureCpu(env, pid);
    CpuFigure("cpu-launcher", "launcher process, four rows, supervision thread", 0.15, r);
    MemoryFigure("mem-launcher", "launcher process memory", pid);
    StopProcess(pid, 30000);
}

void CaseAd() {
    std::printf("A/D panel: vantrel /3 /QVX-AD /0 on an answering A/D box at 38400 bit/s\n");
    RunEnv env;
    HoldWatchDuty();
    Simulator sim(env, {"ad,speed=38400,com=3,volts=1/2/3/4/5/6/7/8"});
    if (!sim.ready()) {
        Figure("cpu-ad", "A/D panel CPU", "<= 0.4x bare loop", "simulator did not start", false);
        return;
    }
    const pid_t pid = StartVantrel(env, {"/3", "/QVX-AD", "/0"}, "ad");
    // Polling: two full cycles of the eight inputs.
    const bool polling = WaitFor([&] { return sim.CountInLog("rx \"B7\"") >= 2; }, 60000, kPollMs);
    if (!polling) {
        Figure("cpu-ad", "A/D panel CPU", "<= 0.4x bare loop", "the panel did not poll", false);
        StopProcess(pid);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    int cycles = 0;
    const CpuRuns r = MeasureCpuCounting(env, pid, sim, "rx \"B7\"", &cycles);
    CpuFigure("cpu-ad", "A/D panel process, cycling on an answering box at 38400 bit/s", 0.4, r);
    Note(Fmt("%.0f cycles of eight inputs in %.1f s", cycles, r.wallMs / 1000.0));
    MemoryFigure("mem-ad", "A/D panel process memory", pid);
    EndPanel("end-ad", "A/D panel", pid, 0);
}

void MeasureDa(bool alone) {
    std::printf("D/A panel: vantrel /4 /QVX-DA /1 on an answering D/A box%s\n",
                alone ? ", holding the watch duty itself" : "");
    RunEnv env;
    if (!alone) HoldWatchDuty();
    Simulator sim(env, {"da,speed=9600,com=4"});
    if (!sim.ready()) {
        Figure("cpu-da", "D/A panel CPU", "<= 0.15x bare loop", "simulator did not start", false);
        return;
    }
    const pid_t pid = StartVantrel(env, {"/4", "/QVX-DA", "/1"}, "da");
    // Identified: the D/A box answers the type query "U0" with "?".
    if (!sim.WaitForLog("rx \"U0\"", 60000)) {
        Figure("cpu-da", "D/A panel CPU", "<= 0.15x bare loop", "the panel did not identify",
               false);
        StopProcess(pid);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const CpuRuns r = MeasureCpu(env, pid);
    if (alone) {
        CpuFigure("cpu-da-alone",
                  "D/A panel process, idle, holding the watch duty itself (no launcher)", 0.15, r);
        StopProcess(pid, 30000);
        return;
    }
    CpuFigure("cpu-da", "D/A panel process, idle on an answering box", 0.15, r);
    MemoryFigure("mem-da", "D/A panel process memory", pid);
    EndPanel("end-da", "D/A panel", pid, 1);
}

void CaseDa() {
    MeasureDa(false);
}

void CaseDaAlone() {
    MeasureDa(true);
}

void CaseIo() {
    std::printf("I/O panel: vantrel /5 /QVX-IO /2 on an answering I/O box, polling\n");
    RunEnv env;
    HoldWatchDuty();
    Simulator sim(env, {"io,speed=9600,com=5,in=5A"});
    if (!sim.ready()) {
        Figure("cpu-io", "I/O panel CPU", "<= 1.3x bare loop", "simulator did not start", false);
        return;
    }
    const pid_t pid = StartVantrel(env, {"/5", "/QVX-IO", "/2"}, "io");
    if (!WaitFor([&] { return sim.CountInLog("rx \"I\"") >= 50; }, 60000, kPollMs)) {
        Figure("cpu-io", "I/O panel process, polling at full rate", "<= 1.3x bare loop",
               "the panel did not poll", false);
        StopProcess(pid);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    int polls = 0;
    const CpuRuns r = MeasureCpuCounting(env, pid, sim, "rx \"I\"", &polls);
    CpuFigure("cpu-io", "I/O panel process, polling at full rate", 1.3, r);
    // One poll per two worker loops (one sends, one reads the reply) is the rate the worker has
    // always had: it must neither fall nor rise by more than a tenth.
    const double pollsPerS = polls * 1000.0 / r.wallMs;
    const double share = pollsPerS / (r.barePassesPerS / 2.0);
    Figure("polls-io", "I/O polls per second in polling mode",
           "90-110% of one per two worker loops",
           Fmt("%.0f/s = %.0f%% of %.0f/s (bare loop %.0f passes/s)", pollsPerS, 100.0 * share,
               r.barePassesPerS / 2.0, r.barePassesPerS),
           share >= 0.9 && share <= 1.1, Fmt("%.2f of one poll per two loops", share));
    MemoryFigure("mem-io", "I/O panel process memory", pid);
    EndPanel("end-io", "I/O panel", pid, 2);
}

// A box served by ser2net on loopback, and the panel's COM entry a link to its rfc2217:// URL
// (the simulator's own entry COM<com + 10> is the pty the server serves).
struct NetworkBox {
    Simulator sim;
    std::unique_ptr<Ser2net> server;
    bool ready = false;
    NetworkBox(const RunEnv& env, const std::string& box, int com)
        : sim(env, {box + ",com=" + std::to_string(com + 10)}) {
        const std::string pty = LinkTarget(env.comDir() + "COM" + std::to_string(com + 10));
        if (!sim.ready() || pty.empty()) return;
        server = std::make_unique<Ser2net>(pty);
        const std::string entry = env.comDir() + "COM" + std::to_string(com);
        ready = server->ready() && symlink(server->url().c_str(), entry.c_str()) == 0;
    }
    static std::string LinkTarget(const std::string& path) {
        char buf[256];
        const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
    }
};

// Reference figures, not targets: what the look every 10 ms and the polling worker's two paced
// steps per poll cost at the least on this machine, each measured like the cases above.
void CaseFloors() {
    std::printf("floors: a bare 10 ms sleep loop; two paced steps per poll on an I/O box\n");
    {
        RunEnv env;
        const pid_t pid = StartProgram("process_figures", {"--look-floor"}, env.root() + "look");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const CpuRuns r = MeasureCpu(env, pid);
        StopProcess(pid);
        CpuFigure("floor-look", "floor of the watch duty: a process that only sleeps 10 ms a pass",
                  INFINITY, r);
    }
    RunEnv env;
    Simulator sim(env, {"io,speed=9600,com=5,in=5A"});
    const std::string pty = sim.ready() ? NetworkBox::LinkTarget(env.comDir() + "COM5") : "";
    if (pty.empty()) {
        Note("the simulator did not start: no polling floor");
        return;
    }
    const pid_t pid = StartProgram("process_figures", {"--poll-floor", pty}, env.root() + "poll");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int polls = 0;
    const CpuRuns r = MeasureCpuCounting(env, pid, sim, "rx \"I\"", &polls);
    StopProcess(pid);
    CpuFigure("floor-poll",
              "floor of I/O polling: two 1 ms paced steps per poll and the port I/O, nothing else",
              INFINITY, r);
    Note(Fmt("%.0f polls/s", polls * 1000.0 / r.wallMs));
}

// Starts a panel on the network entry COM<com> of a box served by ser2net and waits until
// `working` holds; the panel's pid, or -1 (with a missed figure `id`, or a note when ser2net
// is not installed).
pid_t StartOnNetwork(const RunEnv& env, NetworkBox& box, const std::string& id,
                     const std::string& what, const std::vector<std::string>& args,
                     const std::function<bool()>& working) {
    if (!box.ready) {
        Figure(id, what, "<= 1.3x bare loop", "simulator or ser2net did not start", false);
        return -1;
    }
    const pid_t pid = StartVantrel(env, args, id);
    if (!WaitFor(working, 60000, kPollMs)) {
        Figure(id, what, "<= 1.3x bare loop", "the panel did not start working", false);
        StopProcess(pid);
        return -1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    return pid;
}

bool Ser2netMissing() {
    if (Ser2net::Installed()) return false;
    Note("skipped: ser2net is not installed");
    return true;
}

// The D/A panel idles between the user's clicks: on a network entry its worker finds nothing
// waiting each step as on a local one. ser2net's own CPU is given beside it.
void CaseDaNetwork() {
    std::printf("D/A panel on a network entry: vantrel /4 /QVX-DA /1, ser2net on loopback\n");
    if (Ser2netMissing()) return;
    RunEnv env;
    NetworkBox box(env, "da,speed=9600", 4);
    const pid_t pid = StartOnNetwork(
        env, box, "cpu-da-net", "D/A panel process on a network entry (ser2net), worker idle",
        {"/4", "/QVX-DA", "/1"}, [&] { return box.sim.CountInLog("rx \"U0\"") >= 1; });
    if (pid < 0) return;
    ProcCpu server0, server1;
    const CpuRuns r = MeasureCpu(
        env, pid, [&] { server0 = ReadProcCpu(box.server->pid()); },
        [&] { server1 = ReadProcCpu(box.server->pid()); });
    CpuFigure("cpu-da-net", "D/A panel process on a network entry (ser2net), worker idle", 1.3, r);
    Note(Fmt("ser2net meanwhile: %.0f ms CPU in %.1f s", server1.statMs - server0.statMs,
             r.wallMs / 1000.0));
    EndPanel("end-da-net", "D/A panel on a network entry", pid, 1);
}

// The A/D panel cycling its inputs over the network: every reply crosses ser2net.
void CaseAdNetwork() {
    std::printf("A/D panel on a network entry: vantrel /3 /QVX-AD /0, ser2net on loopback\n");
    if (Ser2netMissing()) return;
    RunEnv env;
    NetworkBox box(env, "ad,speed=19200,volts=1/2/3/4/5/6/7/8", 3);
    const pid_t pid = StartOnNetwork(
        env, box, "cpu-ad-net", "A/D panel process on a network entry (ser2net), polling",
        {"/3", "/QVX-AD", "/0"}, [&] { return box.sim.CountInLog("rx \"B7\"") >= 2; });
    if (pid < 0) return;
    int cycles0 = 0, cycles1 = 0;
    ProcCpu server0, server1;
    const CpuRuns r = MeasureCpu(
        env, pid,
        [&] {
            cycles0 = box.sim.CountInLog("rx \"B7\"");
            server0 = ReadProcCpu(box.server->pid());
        },
        [&] {
            cycles1 = box.sim.CountInLog("rx \"B7\"");
            server1 = ReadProcCpu(box.server->pid());
        });
    CpuFigure("cpu-ad-net", "A/D panel process on a network entry (ser2net), polling", 1.3, r);
    Note(Fmt("%.0f cycles of eight inputs in %.1f s; ser2net meanwhile: %.0f ms CPU",
             cycles1 - cycles0, r.wallMs / 1000.0, server1.statMs - server0.statMs));
    EndPanel("end-ad-net", "A/D panel on a network entry", pid, 0);
}

// The four rows' ini with AutoRun, so the launcher starts every panel itself.
std::string FourPanelsIni(const char* modes[4]) {
    std::string ini = "[Option]\r\nAutoRun=1\r\n";
    for (int ch = 0; ch < 4; ++ch) {
        ini += "Ch" + std::to_string(ch + 1) + "_COM=" + std::to_string(ch + 3) + "\r\nCh" +
               std::to_string(ch + 1) + "_MODE=" + modes[ch] + "\r\n";
    }
    return ini;
}

void CaseLauncherPanels() {
    std::printf("launcher: four D/A panels running idle on answering boxes\n");
    prctl(PR_SET_CHILD_SUBREAPER, 1);  // the panels are reaped here should the launcher go first
    RunEnv env;
    Simulator sim(env, {"da,speed=9600,com=3", "da,speed=9600,com=4", "da,speed=9600,com=5",
                        "da,speed=9600,com=6"});
    const char* modes[4] = {"2", "2", "2", "2"};
    WriteFile(env.launcherIni(), FourPanelsIni(modes));
    const pid_t pid = StartVantrel(env, {}, "launcher4idle");
    const bool running =
        sim.ready() &&
        WaitFor([&] { return sim.CountInLog("rx \"U0\"") >= 4 && ChildrenOf(pid).size() == 4; },
                90000, kPollMs);
    const std::vector<pid_t> panels = ChildrenOf(pid);
    if (!running) {
        Figure("cpu-launcher-panels", "launcher CPU, four panels running", "<= 0.15x bare loop",
               "the four panels did not come up", false);
    } else {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::map<pid_t, ProcCpu> before, after;
        const CpuRuns r = MeasureCpu(
            env, pid,
            [&] {
                for (pid_t p : panels) before[p] = ReadProcCpu(p);
            },
            [&] {
                for (pid_t p : panels) after[p] = ReadProcCpu(p);
            });
        CpuFigure("cpu-launcher-panels", "launcher process with four idle D/A panels running", 0.15,
                  r);
        double panelsMs = 0;
        for (pid_t p : panels) panelsMs += after[p].schedMs - before[p].schedMs;
        Note(Fmt("the four panels together: %.1f ms CPU (schedstat) in %.1f s", panelsMs,
                 r.wallMs / 1000.0));
    }
    for (int ch = 0; ch < 4; ++ch) slk_SetMainSta(ch, 1);
    for (pid_t p : panels) ExitCodeWithin(p, 5000, kPollMs);
    StopProcess(pid, 30000);
}

void CaseIoInterrupt() {
    std::printf("I/O panel: interrupt mode (IN00 checked), no input change\n");
    RunEnv env;
    HoldWatchDuty();
    Simulator sim(env, {"io,speed=115200,com=5,in=5A"});
    if (!sim.ready()) {
        Figure("cpu-io-interrupt", "I/O panel CPU, interrupt mode", "<= 0.15x bare loop",
               "simulator did not start", false);
        return;
    }
    // The check box of IN00 (id 1017), clicked once the worker polls.
    const pid_t pid = StartProgram("panel_click_host", {"--click", "1017", "/5", "/QVX-IO", "/2"},
                                   env.root() + "io-interrupt.out");
    if (!sim.WaitForLog("rx \"W01\"", 60000)) {
        Figure("cpu-io-interrupt", "I/O panel CPU, interrupt mode", "<= 0.15x bare loop",
               "the panel did not send its interrupt mask", false);
        StopProcess(pid);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    int polls = 0;
    const CpuRuns r = MeasureCpuCounting(env, pid, sim, "rx \"I\"", &polls);
    CpuFigure("cpu-io-interrupt", "I/O panel process, interrupt mode, no input change", 0.15, r);
    Note(Fmt("%.0f polls during the run (none expected)", polls));
    EndPanel("end-io-interrupt", "I/O panel in interrupt mode", pid, 2);
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void CaseChildEnd() {
    std::printf("launcher: a child status 3 set through statlink, until the launcher takes it\n");
    RunEnv env;
    WriteFile(env.launcherIni(),
              "[Option]\r\nCh1_COM=3\r\nCh1_MODE=3\r\nCh2_COM=4\r\nCh2_MODE=2\r\n"
              "Ch3_COM=5\r\nCh3_MODE=1\r\nCh4_COM=6\r\nCh4_MODE=3\r\n");
    const pid_t pid = StartVantrel(env, {}, "launcher-child-end");
    if (!WaitFor([&] { return CatchesSigterm(pid); }, 60000, kPollMs)) {
        Figure("child-end", "child status 3 to the launcher's log", "<= 20 ms", "did not start",
               false);
        StopProcess(pid);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::vector<double> times;
    bool lost = false;
    for (int n = 0; n < 30 && !lost; ++n) {
        const int ch = n % 4;
        // At a random point of whatever the supervision thread does between passes.
        std::this_thread::sleep_for(std::chrono::microseconds(20000 + (n * 7919) % 30000));
        const double t0 = MonoMsExact();
        slk_SetChildSta(ch, 3);
        // The thread resets the word to 0 right before it posts the end line to the window.
        while (slk_GetChildSta(ch) != 0) {
            if (MonoMsExact() - t0 > 5000) {
                lost = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        times.push_back(MonoMsExact() - t0);
    }
    const double median = Median(times);
    const double worst = *std::max_element(times.begin(), times.end());
    Figure("child-end", "child status 3 set through statlink until the launcher has taken it",
           "<= 20 ms",
           Fmt("median %.2f ms, max %.2f ms over %.0f ends", median, worst,
               static_cast<double>(times.size())),
           !lost && worst <= 20, Fmt("%.2f of limit (max)", worst / 20.0));
    StopProcess(pid, 30000);
}

void CasePeer() {
    std::printf("peer: an event-driven serial terminal holding a box's pty open\n");
    std::string terminal;
    for (const char* dir : {"/usr/bin/", "/bin/", "/usr/local/bin/"}) {
        if (terminal.empty() && access((std::string(dir) + "picocom").c_str(), X_OK) == 0) {
            terminal = std::string(dir) + "picocom";
        }
    }
    if (terminal.empty()) {
        Note("picocom is not installed: no peer figure");
        return;
    }
    RunEnv env;
    Simulator sim(env, {"io,speed=115200,com=5"});
    if (!sim.ready()) return;
    // picocom reads its commands from a terminal: script(1) gives it a pty of its own that
    // nobody types on. The figure is picocom's own.
    const pid_t wrapper = SpawnProgram(
        "/usr/bin/script",
        {"script", "-qfec", terminal + " -q -b 115200 " + env.comDir() + "COM5", "/dev/null"},
        env.root() + "peer.out");
    pid_t pid = -1;
    WaitFor(
        [&] {
            std::vector<pid_t> family = ChildrenOf(wrapper);
            for (size_t i = 0; i < family.size() && pid < 0; ++i) {
                if (ExeOf(family[i]) == terminal) pid = family[i];
                for (pid_t grandchild : ChildrenOf(family[i])) family.push_back(grandchild);
            }
            return pid > 0;
        },
        10000, kPollMs);
    if (pid < 0) {
        Note("picocom did not start");
        StopProcess(wrapper, 2000);
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const CpuRuns r = MeasureCpu(env, pid);
    Figure("cpu-peer", "peer: picocom holding an I/O box's pty open (with its script(1) wrapper)",
           "-",
           Fmt("%.2fx bare loop, median of %.0f rounds (", r.median.statRatio(), g_rounds) +
               r.ratios + Fmt("); schedstat %.3fx", r.median.schedRatio()),
           true, Fmt("%.2fx bare loop", r.median.statRatio()));
    StopProcess(pid, 5000);
    StopProcess(wrapper, 5000);
}

void CaseShutdown() {
    std::printf("shutdown: SIGTERM to a launcher with four running panels\n");
    // Panels orphaned by the launcher's end come to this process, which reaps them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    RunEnv env;
    Simulator sim(env, {"ad,speed=19200,com=3", "da,speed=9600,com=4", "io,speed=9600,com=5",
                        "da,speed=115200,com=6"});
    if (!sim.ready()) {
        Figure("end-launcher", "launcher SIGTERM", "< 1000 ms", "simulator did not start", false);
        return;
    }
    WriteFile(env.launcherIni(), std::string("[Option]\r\nAutoRun=1\r\n") +
                                     "Ch1_COM=3\r\nCh1_MODE=3\r\nCh2_COM=4\r\nCh2_MODE=2\r\n" +
                                     "Ch3_COM=5\r\nCh3_MODE=1\r\nCh4_COM=6\r\nCh4_MODE=2\r\n");
    for (int ch = 0; ch < 4; ++ch) slk_SetChildSta(ch, 0);
    const pid_t launcher = StartVantrel(env, {}, "launcher4");
    const bool running = WaitFor(
        [&] {
            return sim.CountInLog("COM3 ad] rx \"B7\"") >= 1 &&
                   sim.CountInLog("COM4 da] rx \"U0\"") >= 1 &&
                   sim.CountInLog("COM6 da] rx \"U0\"") >= 1 &&
                   sim.CountInLog("COM5 io] rx \"I\"") >= 1 && ChildrenOf(launcher).size() == 4;
        },
        90000, kPollMs);
    if (!running) {
        Figure("end-launcher", "panels ended by SIGTERM to the launcher", "< 1000 ms each",
               "the four panels did not come up", false);
        for (pid_t p : ChildrenOf(launcher)) StopProcess(p, 1000);
        StopProcess(launcher);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const std::vector<pid_t> panels = ChildrenOf(launcher);
    std::map<pid_t, double> endedAt;
    double launcherEnd = -1;
    const double t0 = MonoMsExact();
    kill(launcher, SIGTERM);
    WaitFor(
        [&] {
            const double now = MonoMsExact() - t0;
            for (pid_t p : panels) {
                if (endedAt.count(p)) continue;
                if (Ended(p)) endedAt[p] = now;
            }
            if (launcherEnd < 0 && Ended(launcher)) launcherEnd = now;
            return endedAt.size() == panels.size() && launcherEnd >= 0;
        },
        30000, kPollMs);
    // Reap what came to this process (the launcher, and any panel it left behind).
    std::vector<pid_t> ended = panels;
    ended.push_back(launcher);
    bool allReaped = false;
    ReapUntilEnded(ended, 1000, &allReaped);
    double slowest = 0;
    std::string each;
    for (pid_t p : panels) {
        const double t = endedAt.count(p) ? endedAt[p] : INFINITY;
        slowest = std::max(slowest, t);
        each += Fmt("%.0f ", t);
    }
    int ended3 = 0;
    for (int ch = 0; ch < 4; ++ch) ended3 += slk_GetChildSta(ch) == 3 ? 1 : 0;
    Figure("end-launcher", "four panels (A/D, D/A, I/O, D/A) after SIGTERM to their launcher",
           "each < 1000 ms, child status 3",
           "slowest " + Fmt("%.1f ms (each: ", slowest) + each + "ms; launcher " +
               Fmt("%.0f ms); child status 3 on %.0f of 4 channels", launcherEnd, ended3),
           slowest < 1000 && ended3 == 4, Fmt("%.3f of limit", slowest / 1000.0));
    for (pid_t p : panels) {
        if (!endedAt.count(p)) StopProcess(p, 1000);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> cases;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--bare-loop") return RunBareLoop();
        if (a == "--look-floor") return RunLookFloor();
        if (a == "--poll-floor" && i + 1 < argc) return RunPollFloor(argv[i + 1]);
        if (a == "--pin" && i + 1 < argc) {
            g_pinCpu = std::atoi(argv[++i]);
        } else if (a == "--rounds" && i + 1 < argc) {
            g_rounds = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--seconds" && i + 1 < argc) {
            g_seconds = std::max(10, std::atoi(argv[++i]));
        } else {
            cases.push_back(a);
        }
    }
    if (cases.empty()) {
        cases = {"launcher", "launcher4",    "ad",        "da",   "da-alone",
                 "io",       "io-interrupt", "child-end", "peer", "shutdown",
                 "da-net",   "ad-net",       "floors"};
    }
    const std::map<std::string, void (*)()> known{{"launcher", CaseLauncher},
                                                  {"launcher4", CaseLauncherPanels},
                                                  {"ad", CaseAd},
                                                  {"da", CaseDa},
                                                  {"da-alone", CaseDaAlone},
                                                  {"io", CaseIo},
                                                  {"io-interrupt", CaseIoInterrupt},
                                                  {"child-end", CaseChildEnd},
                                                  {"peer", CasePeer},
                                                  {"shutdown", CaseShutdown},
                                                  {"da-net", CaseDaNetwork},
                                                  {"ad-net", CaseAdNetwork},
                                                  {"floors", CaseFloors}};
    for (const std::string& c : cases) {
        auto it = known.find(c);
        if (it == known.end()) {
            std::fprintf(stderr,
                         "usage: process_figures [--seconds N] [--rounds R] [--pin CPU] [%s]...\n",
                         "launcher|launcher4|ad|da|da-alone|io|io-interrupt|child-end|peer|"
                         "shutdown|da-net|ad-net|floors");
            return 2;
        }
        it->second();
    }
    return g_missed == 0 ? 0 : 1;
}

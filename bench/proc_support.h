// What the whole-program benchmarks share: the testkit helpers (child processes, /proc state,
// the simulator) with the settings of a benchmark run, and reading a process's CPU time and
// memory from /proc.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "testkit/box_sim.h"
#include "testkit/child.h"
#include "testkit/files.h"
#include "testkit/isolated_env.h"
#include "testkit/proc_info.h"
#include "testkit/wait.h"

namespace bench {

// The helpers the tests use too: BinDir, NowMs, WaitFor, ReadFile/WriteFile, StartProgram,
// StopProcess, ExitCodeWithin, ProcessState, Ended, ChildrenOf, CatchesSigterm, BoxSim.
using namespace testkit;

// Benchmarks poll every millisecond (WaitFor(cond, timeoutMs, kPollMs)), so that a wait adds at
// most that to a time it takes.
constexpr int kPollMs = 1;

// Milliseconds of a monotonic clock, with fractions.
double MonoMsExact();

// An isolated environment of one run ("vantrel-figures-XXXXXX"), with the offscreen platform
// chosen for this process and every child.
class RunEnv : public IsolatedEnv {
  public:
    RunEnv();
    std::string launcherIni() const { return settingsFolder() + "vantrel.ini"; }
};

// qvx-boxsim with the given box descriptions on the COM port folder of env; its output goes to
// a file of the run, not to the benchmark's own (which scripts/figures reads).
class Simulator : public BoxSim {
  public:
    Simulator(const RunEnv& env, const std::vector<std::string>& boxes);
    ~Simulator();
};

// CPU time a process has used (user + system). stat: /proc/<pid>/stat utime + stime, in whole
// clock ticks; sched: the sum of its threads' run time in /proc/<pid>/task/*/schedstat.
struct ProcCpu {
    double statMs = -1;
    double schedMs = -1;
};
ProcCpu ReadProcCpu(pid_t pid);

// Run time of each thread of a process so far (schedstat), by thread id, with its name.
struct ThreadRun {
    std::string name;
    double ms = 0;
};
std::map<pid_t, ThreadRun> ReadThreadRuns(pid_t pid);

// Keeps every thread of pid on one CPU (threads made later inherit it).
void PinToCpu(pid_t pid, int cpu);

// The peak resident set (VmHWM) and the resident set now (VmRSS) in kB, -1 when unknown.
long VmHwmKb(pid_t pid);
long VmRssKb(pid_t pid);

// Prints one figure as the tab-separated line "FIGURE id what target measured ratio verdict"
// (verdict "met" or "MISSED") that scripts/figures gathers into docs/FIGURES.md. Tabs and line
// breaks inside a field become blanks, so a field never splits the line.
void PrintFigure(const std::string& id, const std::string& what, const std::string& target,
                 const std::string& measured, const std::string& ratio, bool met);

// The time of day of the local clock in milliseconds since midnight, with fractions.
double LocalDayMs();
// The time stamp "HH:MM:SS.mmm" at the start of a simulator log line, in ms since midnight;
// -1 when the line has none.
double LogStampMs(const std::string& line);

}  // namespace bench

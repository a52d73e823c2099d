// What the whole-program benchmarks share: an isolated environment for a run, starting the real
// vantrel and qvx-boxsim as child processes, and reading a process's CPU time and memory from
// /proc.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace bench {

// The folder of the running benchmark, where vantrel and qvx-boxsim are built too ("/" at the
// end).
std::string BinDir();

// Milliseconds of a monotonic clock.
int64_t MonoMs();
double MonoMsExact();

// Polls cond every millisecond until it holds or timeoutMs passes; returns cond().
template <class F>
bool WaitUntil(F cond, int timeoutMs) {
    const int64_t end = MonoMs() + timeoutMs;
    while (!cond()) {
        if (MonoMs() > end) return cond();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A temporary folder with the settings folder, COM port folder, runtime folder and status-word
// segment of one run; the variables pointing at them are set in this process (so every child
// inherits them) and the offscreen platform is chosen. Everything is removed at the end.
class RunEnv {
  public:
    RunEnv();
    ~RunEnv();
    RunEnv(const RunEnv&) = delete;
    RunEnv& operator=(const RunEnv&) = delete;

    const std::string& root() const { return root_; }
    std::string settingsFolder() const { return root_ + "config/Harbelt/Vantrel/"; }
    std::string comDir() const { return root_ + "com/"; }
    std::string launcherIni() const { return settingsFolder() + "vantrel.ini"; }

  private:
    std::string root_;
    std::string statlink_;
};

// Starts program with args (argv[0] is the program) and its output going to outFile ("" for
// /dev/null). Returns the pid, -1 on failure.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::string& outFile = "");

// Ends pid with SIGTERM (SIGKILL after graceMs) and reaps it; returns its wait status or -1.
int StopProcess(pid_t pid, int graceMs = 5000);

// The exit code once pid has ended within timeoutMs (128 + signal for a signal), -1 otherwise.
int WaitExit(pid_t pid, int timeoutMs);

// qvx-boxsim as a child process with its log in a file of the run.
class Simulator {
  public:
    Simulator(const RunEnv& env, const std::vector<std::string>& boxes);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool ready() const { return ready_; }
    // One control line through the simulator's FIFO.
    bool Control(const std::string& line) const;
    std::string Log() const;
    const std::string& logPath() const { return log_; }
    // Lines of the log containing text.
    int Count(const std::string& text) const;
    bool WaitForLog(const std::string& text, int timeoutMs) const;

  private:
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string log_;
    std::string fifo_;
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

// The state letter of /proc/<pid>/stat (R, S, Z, ...), or 0 when the process is gone.
char ProcState(pid_t pid);

// The pids whose parent is ppid.
std::vector<pid_t> ChildrenOf(pid_t ppid);

// The time of day of the local clock in milliseconds since midnight, with fractions.
double LocalDayMs();
// The time stamp "HH:MM:SS.mmm" at the start of a simulator log line, in ms since midnight;
// -1 when the line has none.
double LogStampMs(const std::string& line);

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

}  // namespace bench

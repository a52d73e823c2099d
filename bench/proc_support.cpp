#include "proc_support.h"

#include <dirent.h>
#include <sched.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bench {

double MonoMsExact() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

RunEnv::RunEnv() : IsolatedEnv("vantrel-figures") {
    // The cases write vantrel.ini before any vantrel runs, and WriteFile makes no folders.
    std::filesystem::create_directories(settingsFolder());
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

namespace {

std::vector<std::string> SimulatorArgs(const RunEnv& env, const std::vector<std::string>& boxes) {
    std::vector<std::string> args{"--com-dir", env.comDir()};
    for (const std::string& box : boxes) {
        args.push_back("--box");
        args.push_back(box);
    }
    return args;
}

std::string SimulatorOut(const RunEnv& env) {
    static int counter = 0;
    return env.root() + "sim" + std::to_string(++counter) + ".out";
}

}  // namespace

Simulator::Simulator(const RunEnv& env, const std::vector<std::string>& boxes)
    : BoxSim(SimulatorArgs(env, boxes), 20000, SimulatorOut(env)) {}

Simulator::~Simulator() {
    Stop(5000);
}

ProcCpu ReadProcCpu(pid_t pid) {
    ProcCpu cpu;
    std::istringstream stat(ProcStatFields(pid));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Field 3 is the state; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 13 && stat >> field; ++i) {
    }
    if (stat >> utime >> stime) {
        cpu.statMs =
            static_cast<double>(utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    const std::map<pid_t, ThreadRun> threads = ReadThreadRuns(pid);
    if (!threads.empty()) {
        cpu.schedMs = 0;
        for (const auto& entry : threads) cpu.schedMs += entry.second.ms;
    }
    return cpu;
}

std::map<pid_t, ThreadRun> ReadThreadRuns(pid_t pid) {
    std::map<pid_t, ThreadRun> runs;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            const std::string task = tasks + "/" + e->d_name;
            long long runNs = 0;
            std::ifstream in(task + "/schedstat");
            if (!(in >> runNs)) continue;
            ThreadRun& run = runs[std::atoi(e->d_name)];
            run.ms = static_cast<double>(runNs) / 1e6;
            run.name = ReadFile(task + "/comm");
            while (!run.name.empty() && run.name.back() == '\n') run.name.pop_back();
        }
        closedir(dir);
    }
    return runs;
}

void PinToCpu(pid_t pid, int cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    for (const auto& entry : ReadThreadRuns(pid)) sched_setaffinity(entry.first, sizeof set, &set);
}

namespace {

long StatusKb(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const size_t keyLength = std::strlen(key);
    while (std::getline(in, line)) {
        if (line.compare(0, keyLength, key) == 0 && line.size() > keyLength &&
            line[keyLength] == ':') {
            return std::atol(line.c_str() + keyLength + 1);
        }
    }
    return -1;
}

}  // namespace

long VmHwmKb(pid_t pid) {
    return StatusKb(pid, "VmHWM");
}
long VmRssKb(pid_t pid) {
    return StatusKb(pid, "VmRSS");
}

namespace {

std::string FigureField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

void PrintFigure(const std::string& id, const std::string& what, const std::string& target,
                 const std::string& measured, const std::string& ratio, bool met) {
    std::printf("FIGURE\t%s\t%s\t%s\t%s\t%s\t%s\n", FigureField(id).c_str(),
                FigureField(what).c_str(), FigureField(target).c_str(),
                FigureField(measured).c_str(), FigureField(ratio).c_str(), met ? "met" : "MISSED");
    std::fflush(stdout);
}

double LocalDayMs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 +
           static_cast<double>(now.tv_nsec) / 1e6;
}

double LogStampMs(const std::string& line) {
    int h = 0, m = 0, s = 0, ms = 0;
    if (std::sscanf(line.c_str(), "%2d:%2d:%2d.%3d", &h, &m, &s, &ms) != 4) return -1;
    return ((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms;
}

}  // namespace bench

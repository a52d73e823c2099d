#include "proc_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace bench {

namespace fs = std::filesystem;

std::string BinDir() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    const std::string self(buf, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/') + 1);
}

int64_t MonoMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

double MonoMsExact() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

RunEnv::RunEnv() {
    char tmpl[] = "/tmp/vantrel-figures-XXXXXX";
    const char* made = mkdtemp(tmpl);
    root_ = std::string(made ? made : "/tmp") + "/";
    fs::create_directories(settingsFolder());
    fs::create_directories(comDir());
    fs::create_directories(root_ + "run");
    chmod((root_ + "run").c_str(), 0700);
    static int counter = 0;
    statlink_ = "/vantrel-figures-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    setenv("XDG_CONFIG_HOME", (root_ + "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_ + "run").c_str(), 1);
    setenv("VANTREL_COM_DIR", comDir().c_str(), 1);
    setenv("VANTREL_STATLINK", statlink_.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

RunEnv::~RunEnv() {
    shm_unlink(statlink_.c_str());
    std::error_code ec;
    fs::remove_all(root_, ec);
}

pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::string& outFile) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = outFile.empty() ? "/dev/null" : outFile;
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

int StopProcess(pid_t pid, int graceMs) {
    if (pid <= 0) return -1;
    kill(pid, SIGTERM);
    int status = 0;
    if (WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, graceMs)) return status;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

int WaitExit(pid_t pid, int timeoutMs) {
    int status = 0;
    if (!WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs)) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

Simulator::Simulator(const RunEnv& env, const std::vector<std::string>& boxes) {
    static int counter = 0;
    const std::string base = env.root() + "sim" + std::to_string(++counter);
    log_ = base + ".log";
    fifo_ = base + ".ctl";
    const std::string readyFile = base + ".ready";
    std::vector<std::string> args{"--com-dir", env.comDir(), "--log",        log_,
                                  "--control", fifo_,        "--ready-file", readyFile};
    for (const std::string& box : boxes) {
        args.push_back("--box");
        args.push_back(box);
    }
    pid_ = Spawn(BinDir() + "qvx-boxsim", args, base + ".out");
    ready_ =
        pid_ > 0 &&
        WaitUntil([&] { return ReadText(readyFile).find("ready") != std::string::npos; }, 20000);
}

Simulator::~Simulator() {
    StopProcess(pid_);
}

bool Simulator::Control(const std::string& line) const {
    const int fd = open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const std::string text = line + "\n";
    const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return ok;
}

std::string Simulator::Log() const {
    return ReadText(log_);
}

int Simulator::Count(const std::string& text) const {
    const std::string log = Log();
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
}

bool Simulator::WaitForLog(const std::string& text, int timeoutMs) const {
    return WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeoutMs);
}

ProcCpu ReadProcCpu(pid_t pid) {
    ProcCpu cpu;
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    // The command name may hold blanks; the fields after it are counted from its ")".
    const size_t close = stat.rfind(')');
    if (close != std::string::npos) {
        std::istringstream in(stat.substr(close + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        // Field 3 is the state; utime and stime are fields 14 and 15.
        for (int i = 3; i <= 13 && in >> field; ++i) {
        }
        if (in >> utime >> stime) {
            cpu.statMs = static_cast<double>(utime + stime) * 1000.0 /
                         static_cast<double>(sysconf(_SC_CLK_TCK));
        }
    }
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        long long ns = 0;
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            long long runNs = 0;
            std::ifstream in(tasks + "/" + e->d_name + "/schedstat");
            if (in >> runNs) ns += runNs;
        }
        closedir(dir);
        cpu.schedMs = static_cast<double>(ns) / 1e6;
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
            run.name = ReadText(task + "/comm");
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

char ProcState(pid_t pid) {
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return 0;
    return stat[close + 2];
}

std::vector<pid_t> ChildrenOf(pid_t ppid) {
    std::vector<pid_t> children;
    DIR* dir = opendir("/proc");
    if (!dir) return children;
    while (dirent* e = readdir(dir)) {
        const pid_t pid = std::atoi(e->d_name);
        if (pid <= 0) continue;
        const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream in(stat.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        if (in >> state >> parent && parent == ppid) children.push_back(pid);
    }
    closedir(dir);
    return children;
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

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace bench

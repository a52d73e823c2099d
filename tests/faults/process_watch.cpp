#include "process_watch.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/test_env.h"

namespace {

// The fields of /proc/<pid>/stat after the command name: state first, then the parent.
bool StatFields(pid_t pid, char* state, pid_t* parent) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream in(stat.substr(close + 2));
    return static_cast<bool>(in >> *state >> *parent);
}

}  // namespace

char ProcessState(pid_t pid) {
    char state = 0;
    pid_t parent = 0;
    return StatFields(pid, &state, &parent) ? state : 0;
}

bool Ended(pid_t pid) {
    const char state = ProcessState(pid);
    return state == 0 || state == 'Z' || state == 'X';
}

std::map<pid_t, int> ReapUntilEnded(const std::vector<pid_t>& pids, int timeoutMs, bool* allEnded) {
    std::map<pid_t, int> exitCodes;
    *allEnded = WaitFor(
        [&] {
            int status = 0;
            pid_t pid;
            while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
                exitCodes[pid] = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            return std::all_of(pids.begin(), pids.end(), [&](pid_t p) {
                return exitCodes.count(p) > 0 || ProcessState(p) == 0;
            });
        },
        timeoutMs);
    return exitCodes;
}

std::vector<pid_t> ChildrenOf(pid_t ppid) {
    std::vector<pid_t> children;
    DIR* dir = opendir("/proc");
    if (!dir) return children;
    while (dirent* e = readdir(dir)) {
        const pid_t pid = std::atoi(e->d_name);
        char state = 0;
        pid_t parent = 0;
        if (pid > 0 && StatFields(pid, &state, &parent) && parent == ppid) {
            children.push_back(pid);
        }
    }
    closedir(dir);
    return children;
}

std::vector<pid_t> ZombieChildrenOf(pid_t ppid) {
    std::vector<pid_t> zombies;
    for (pid_t pid : ChildrenOf(ppid)) {
        if (ProcessState(pid) == 'Z') zombies.push_back(pid);
    }
    return zombies;
}

bool CatchesSigterm(pid_t pid) {
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("SigCgt:");
    if (at == std::string::npos) return false;
    const unsigned long long caught = std::strtoull(status.c_str() + at + 7, nullptr, 16);
    return (caught & (1ull << (SIGTERM - 1))) != 0;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

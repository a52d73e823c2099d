#include "testkit/proc_info.h"

#include <dirent.h>
#include <signal.h>

#include <cstdlib>
#include <sstream>

#include "testkit/files.h"

namespace testkit {

std::string ProcStatFields(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return "";
    return stat.substr(close + 2);
}

char ProcessState(pid_t pid) {
    const std::string fields = ProcStatFields(pid);
    return fields.empty() ? 0 : fields[0];
}

bool Ended(pid_t pid) {
    const char state = ProcessState(pid);
    return state == 0 || state == 'Z' || state == 'X';
}

std::vector<pid_t> ChildrenOf(pid_t ppid) {
    std::vector<pid_t> children;
    DIR* dir = opendir("/proc");
    if (!dir) return children;
    while (dirent* e = readdir(dir)) {
        const pid_t pid = std::atoi(e->d_name);
        if (pid <= 0) continue;
        std::istringstream in(ProcStatFields(pid));
        char state = 0;
        pid_t parent = 0;
        if (in >> state >> parent && parent == ppid) children.push_back(pid);
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

}  // namespace testkit

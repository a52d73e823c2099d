#include "testkit/proc_info.h"

#include <dirent.h>
#include <unistd.h>

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

bool CatchesSignals(pid_t pid, std::initializer_list<int> signalNumbers) {
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("SigCgt:");
    if (at == std::string::npos) return false;
    const unsigned long long caught = std::strtoull(status.c_str() + at + 7, nullptr, 16);
    unsigned long long wanted = 0;
    for (int signal : signalNumbers) wanted |= 1ull << (signal - 1);
    return (caught & wanted) == wanted;
}

std::string ExeOf(pid_t pid) {
    char buf[4096];
    const ssize_t n =
        readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
}

std::string ArgumentsOf(pid_t pid) {
    const std::string cmdline = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    const size_t first = cmdline.find('\0');
    return first == std::string::npos ? "" : cmdline.substr(first + 1);
}

}  // namespace testkit

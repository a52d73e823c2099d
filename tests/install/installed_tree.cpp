#include "install/installed_tree.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support/child_process.h"

extern char** environ;

std::vector<std::string> EnvironmentWithout(const std::string& buildDir) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t eq = entry.find('=');
        if (entry.rfind("LD_LIBRARY_PATH=", 0) == 0) continue;
        if (!buildDir.empty() && eq != std::string::npos &&
            entry.find(buildDir, eq + 1) != std::string::npos) {
            continue;
        }
        env.push_back(entry);
    }
    return env;
}

pid_t SpawnOutsideBuild(const std::vector<std::string>& argv, const std::string& buildDir,
                        const std::string& outFile) {
    const std::vector<std::string> env = EnvironmentWithout(buildDir);
    return SpawnProgram(argv[0], argv, outFile, &env);
}

int RunOutsideBuild(const std::vector<std::string>& argv, const std::string& buildDir,
                    const std::string& outFile, int timeoutMs) {
    const pid_t pid = SpawnOutsideBuild(argv, buildDir, outFile);
    return pid > 0 ? WaitForExitCode(pid, timeoutMs) : -1;
}

std::string MappedFrom(pid_t pid, const std::string& fileName) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    const std::string tail = "/" + fileName;
    std::string line;
    while (std::getline(maps, line)) {
        const size_t slash = line.find('/');
        if (slash == std::string::npos) continue;
        const std::string path = line.substr(slash);
        if (path.size() >= tail.size() &&
            path.compare(path.size() - tail.size(), std::string::npos, tail) == 0) {
            return path;
        }
    }
    return "";
}

std::string FindOnPath(const std::string& name) {
    const char* path = getenv("PATH");
    std::istringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

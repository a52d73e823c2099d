#include "testkit/child.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "testkit/proc_info.h"
#include "testkit/wait.h"

extern char** environ;

namespace testkit {

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& t : texts) pointers.push_back(const_cast<char*>(t.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::string BinDir() {
    const char* dir = getenv("VANTREL_BIN_DIR");
    if (dir && *dir) return std::string(dir) + "/";
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    const std::string self(buf, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/') + 1);
}

pid_t SpawnProgram(const std::string& path, const std::vector<std::string>& argv,
                   const std::string& outFile, const std::vector<std::string>* envp) {
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> env;
    if (envp) env = Pointers(*envp);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (!outFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.c_str(), &actions, nullptr, args.data(),
                                  envp ? env.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& outFile) {
    const std::string exe = BinDir() + program;
    std::vector<std::string> argv{exe};
    argv.insert(argv.end(), args.begin(), args.end());
    return SpawnProgram(exe, argv, outFile);
}

pid_t ReapWithin(pid_t pid, int timeoutMs, int* status, int pollMs) {
    if (pid <= 0) return -1;
    pid_t got = 0;
    WaitFor([&] { return (got = waitpid(pid, status, WNOHANG)) != 0; }, timeoutMs, pollMs);
    return got;
}

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int ExitCodeWithin(pid_t pid, int timeoutMs, int pollMs) {
    int status = 0;
    return ReapWithin(pid, timeoutMs, &status, pollMs) == pid ? ExitCodeOf(status) : -1;
}

int WaitForExitCode(pid_t pid, int timeoutMs) {
    int status = 0;
    const pid_t got = ReapWithin(pid, timeoutMs, &status);
    if (got == pid) return ExitCodeOf(status);
    if (got == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    return -1;
}

int StopProcess(pid_t pid, int graceMs, int pollMs) {
    if (pid <= 0) return -1;
    int status = 0;
    // Already reaped: its pid may name another process now.
    const pid_t before = waitpid(pid, &status, WNOHANG);
    if (before == pid) return status;
    if (before < 0) return 0;
    kill(pid, SIGTERM);
    if (ReapWithin(pid, graceMs, &status, pollMs) != 0) return status;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

std::map<pid_t, int> ReapUntilEnded(const std::vector<pid_t>& pids, int timeoutMs, bool* allEnded) {
    std::map<pid_t, int> exitCodes;
    *allEnded = WaitFor(
        [&] {
            int status = 0;
            pid_t pid;
            while ((pid = waitpid(-1, &status, WNOHANG)) > 0) exitCodes[pid] = ExitCodeOf(status);
            return std::all_of(pids.begin(), pids.end(), [&](pid_t p) {
                return exitCodes.count(p) > 0 || ProcessState(p) == 0;
            });
        },
        timeoutMs);
    return exitCodes;
}

}  // namespace testkit

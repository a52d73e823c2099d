#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_env.h"

extern char** environ;

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& t : texts) pointers.push_back(const_cast<char*>(t.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

pid_t SpawnProgram(const std::string& path, const std::vector<std::string>& argv,
                   const std::string& outFile, const std::vector<std::string>* envp) {
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> env;
    if (envp) env = Pointers(*envp);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
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

bool RunWithFileSizeLimit(size_t bytes, const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int WaitForExitCode(pid_t pid, int timeoutMs) {
    int status = 0;
    if (WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs)) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

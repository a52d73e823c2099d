// The real program, twice: the second launcher warns on stderr and stays out of the way.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "platform/instance_lock.h"
#include "support/test_env.h"

extern char** environ;

namespace {

struct Child {
    pid_t pid = -1;
    int err = -1;  // read end of its stderr
};

// Starts vantrel with the environment of this test plus the given overrides.
Child StartVantrel(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string kv = *e;
        const std::string key = kv.substr(0, kv.find('='));
        if (!overrides.count(key)) envText.push_back(kv);
    }
    for (const auto& [k, v] : overrides) envText.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (std::string& kv : envText) envp.push_back(kv.data());
    envp.push_back(nullptr);

    Child child;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return child;
    const std::string exe = BinDir() + "vantrel";
    char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    if (posix_spawn(&child.pid, exe.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
        child.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    child.err = fds[0];
    fcntl(child.err, F_SETFL, O_NONBLOCK);
    return child;
}

// Reads the child's stderr until it contains text or timeoutMs passes.
bool WaitForStderr(const Child& c, const std::string& text, std::string* all, int timeoutMs) {
    return WaitFor(
        [&] {
            char buf[4096];
            ssize_t n;
            while ((n = read(c.err, buf, sizeof buf)) > 0) all->append(buf, n);
            return all->find(text) != std::string::npos;
        },
        timeoutMs);
}

bool Running(pid_t pid) {
    int status;
    return waitpid(pid, &status, WNOHANG) == 0;
}

void End(Child& c) {
    if (c.pid <= 0) return;
    kill(c.pid, SIGTERM);
    if (!WaitFor([&] { return !Running(c.pid); }, 20000)) {
        kill(c.pid, SIGKILL);
        waitpid(c.pid, nullptr, 0);
    }
    close(c.err);
    c.pid = -1;
}

class SecondLauncher : public IsolatedTest {};

}  // namespace

TEST_F(SecondLauncher, WarnsOnStderrAndLeavesTheFirstRunning) {
    Child first = StartVantrel({{"QT_QPA_PLATFORM", "offscreen"}});
    ASSERT_GT(first.pid, 0);
    // The first launcher is up once it holds the lock and has made its settings folder.
    InstanceLock probe;
    EXPECT_TRUE(WaitFor(
        [&] {
            return PathExists(env.settingsFolder()) &&
                   probe.Acquire("vantrel") == InstanceLock::kAlreadyRunning;
        },
        60000));
    ASSERT_TRUE(Running(first.pid));

    const std::string secondConfig = env.root() + "second-config/";
    Child second =
        StartVantrel({{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_CONFIG_HOME", secondConfig}});
    ASSERT_GT(second.pid, 0);
    std::string err;
    EXPECT_TRUE(WaitForStderr(second, "vantrelは既に起動しております\n", &err, 60000)) << err;
    // Its warning dialog is open now; it resolved no settings folder of its own.
    EXPECT_FALSE(PathExists(secondConfig));
    EXPECT_TRUE(Running(first.pid));
    EXPECT_EQ(probe.Acquire("vantrel"), InstanceLock::kAlreadyRunning);

    End(second);
    End(first);
    // The lock goes with the process that held it.
    EXPECT_EQ(probe.Acquire("vantrel"), InstanceLock::kAcquired);
}

#include "device/box_sim_helper.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

BoxSim::BoxSim(const std::vector<std::string>& args, int readyTimeoutMs) {
    std::vector<std::string> all = {
        BinDir() + "qvx-boxsim", "--log",     dir_.path() + "sim.log", "--ready-file",
        dir_.path() + "ready",   "--control", dir_.path() + "control"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    const std::string readyPath = dir_.path() + "ready";
    ready_ = WaitFor(
        [&] {
            if (PathExists(readyPath)) return true;
            // Stop waiting at once when the simulator ended (bad arguments, a link in the way).
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            return false;
        },
        readyTimeoutMs);
    ready_ = ready_ && pid_ > 0 && PathExists(readyPath);
}

BoxSim::~BoxSim() {
    Stop();
}

bool BoxSim::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

int BoxSim::Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    pid_t got = 0;
    WaitFor([&] { return (got = waitpid(pid_, &status, WNOHANG)) != 0; }, 10000);
    if (got == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool BoxSim::Control(const std::string& line) {
    if (pid_ <= 0) return false;
    const int fd = open((dir_.path() + "control").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const std::string bytes = line + "\n";
    const bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fd);
    return ok;
}

std::string BoxSim::Log() const {
    return ReadFile(dir_.path() + "sim.log");
}

bool BoxSim::WaitForLog(const std::string& text, int timeoutMs, size_t after) const {
    return WaitFor(
        [&] {
            const std::string log = Log();
            return log.size() > after && log.find(text, after) != std::string::npos;
        },
        timeoutMs);
}

int BoxSim::CountInLog(const std::string& text) const {
    const std::string log = Log();
    int n = 0;
    for (size_t pos = log.find(text); pos != std::string::npos; pos = log.find(text, pos + 1)) {
        ++n;
    }
    return n;
}

#include "testkit/box_sim.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "testkit/child.h"
#include "testkit/wait.h"

namespace testkit {

BoxSim::BoxSim(const std::vector<std::string>& args, int readyTimeoutMs,
               const std::string& outFile) {
    const std::string readyPath = dir_.path() + "ready";
    std::vector<std::string> argv = {BinDir() + "qvx-boxsim", "--log",   logPath(),
                                     "--ready-file",          readyPath, "--control",
                                     dir_.path() + "control"};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = SpawnProgram(argv[0], argv, outFile);
    if (pid_ <= 0) {
        pid_ = -1;
        return;
    }
    // The simulator writes the ready file in one step (a rename), so its presence means ready;
    // a simulator that ended stops the wait at once.
    WaitFor([&] { return PathExists(readyPath) || !Running(); }, readyTimeoutMs);
    ready_ = Running() && PathExists(readyPath);
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

int BoxSim::Stop(int graceMs) {
    if (pid_ <= 0) return -1;
    const int status = StopProcess(pid_, graceMs);
    pid_ = -1;
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool BoxSim::Control(const std::string& line) const {
    if (pid_ <= 0) return false;
    const int fd = open((dir_.path() + "control").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const std::string bytes = line + "\n";
    const bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fd);
    return ok;
}

std::string BoxSim::Log() const {
    return ReadFile(logPath());
}

std::string BoxSim::LogFrom(size_t from) const {
    std::ifstream in(logPath(), std::ios::binary);
    if (!in.seekg(static_cast<std::streamoff>(from))) return "";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

}  // namespace testkit

// ReadByte on an idle port must cost microseconds (the workers call it up to ten times per
// millisecond step); a command/reply round trip through a pty and the simulator, for scale.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "device/SerialLink.h"
#include "platform/clock.h"

extern char** environ;

namespace {

// A temporary COM port folder, named by $VANTREL_COM_DIR for the run.
struct ComFolder {
    std::string path;
    ComFolder() {
        char tmpl[] = "/tmp/vantrel-bench-XXXXXX";
        path = std::string(mkdtemp(tmpl)) + "/";
        setenv("VANTREL_COM_DIR", path.c_str(), 1);
    }
    ~ComFolder() {
        for (int n = 1; n <= 2; ++n) unlink((path + "COM" + std::to_string(n)).c_str());
        unlink((path + "ready").c_str());
        rmdir(path.c_str());
    }
};

std::string SelfDir() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string self(buf, n > 0 ? static_cast<size_t>(n) : 0);
    return self.substr(0, self.rfind('/') + 1);
}

void BM_ReadByteIdle(benchmark::State& state) {
    ComFolder folder;
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    grantpt(master);
    unlockpt(master);
    symlink(ptsname(master), (folder.path + "COM1").c_str());
    SerialLink link;
    SerialPortSettings port;
    port.portNumber = 1;
    port.baudRate = 9600;
    if (link.Open(port) == kNoSerialHandle) {
        state.SkipWithError("cannot open the pty");
        close(master);
        return;
    }
    char b[2];
    for (auto _ : state) benchmark::DoNotOptimize(link.ReadByte(b));
    link.Close();
    close(master);
}
BENCHMARK(BM_ReadByteIdle);

void BM_RoundTripThroughSimulator(benchmark::State& state) {
    ComFolder folder;
    std::string sim = SelfDir() + "qvx-boxsim";
    std::string ready = folder.path + "ready";
    std::vector<std::string> args = {
        sim,   "--quiet", "--ready-file",
        ready, "--box",   "ad,speed=115200,com=2,volts=1/2/3/4/5/6/7/8"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        state.SkipWithError("cannot start qvx-boxsim");
        return;
    }
    struct stat st {};
    for (int i = 0; i < 20000 && stat(ready.c_str(), &st) != 0; ++i) SleepMs(1);
    SerialLink link;
    SerialPortSettings port;
    port.portNumber = 2;
    port.baudRate = 115200;
    if (link.Open(port) == kNoSerialHandle) {
        state.SkipWithError("cannot open the simulated box");
    } else {
        char line[SerialLink::kLineBufferSize];
        int len = 0;
        int failures = 0;
        for (auto _ : state) {
            link.Write("U3\n", 3, 1);
            if (link.ReadLine(line, &len) != 0) ++failures;
        }
        if (failures) state.SkipWithError("replies missing");
        link.Close();
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}
BENCHMARK(BM_RoundTripThroughSimulator)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

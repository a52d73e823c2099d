// One command and its reply through ser2net on loopback, beside the same over the box's local
// pty: the cost a network entry adds to every exchange of a panel. Each pair of figures is
// taken the way a panel reads (ReadLine, which sleeps 1 ms while nothing waits) and with reads
// that never sleep (the transport's own latency).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "device/SerialLink.h"
#include "testkit/box_sim.h"
#include "testkit/isolated_env.h"
#include "testkit/ser2net.h"

namespace {

constexpr int kLocalCom = 1;
constexpr int kNetworkCom = 2;        // ser2net as configured by default
constexpr int kNetworkPromptCom = 3;  // ser2net with "chardelay: false"

// One simulated A/D box at 115200 bit/s, its local entry COM1 and its network entries COM2
// (ser2net's defaults: it holds what the device sends for two character times, at least 1 ms,
// to send it in fewer packets) and COM3 (a second ser2net on the same pty that sends at once).
struct Bench {
    testkit::IsolatedEnv env{"vantrel-bench"};
    std::unique_ptr<testkit::BoxSim> sim;
    std::unique_ptr<testkit::Ser2net> server;
    std::unique_ptr<testkit::Ser2net> promptServer;
    std::string error;

    Bench() {
        sim = std::make_unique<testkit::BoxSim>(
            std::vector<std::string>{"--box", "ad,speed=115200,com=1,volts=1/2/3/4/5/6/7/8"});
        if (!sim->ready()) {
            error = "qvx-boxsim did not start";
            return;
        }
        if (!testkit::Ser2net::Installed()) {
            error = testkit::Ser2net::kNotInstalled;
            return;
        }
        char pty[256];
        const ssize_t n = readlink((env.comDir() + "COM1").c_str(), pty, sizeof pty - 1);
        const std::string device(pty, n > 0 ? static_cast<size_t>(n) : 0);
        server = std::make_unique<testkit::Ser2net>(device);
        promptServer = std::make_unique<testkit::Ser2net>(
            device, std::vector<std::string>{"chardelay: false"});
        if (!server->ready() || !promptServer->ready() ||
            symlink(server->url().c_str(), (env.comDir() + "COM2").c_str()) != 0 ||
            symlink(promptServer->url().c_str(), (env.comDir() + "COM3").c_str()) != 0) {
            error = "ser2net did not start";
        }
    }
};

// Sends "U3\n" and takes the reply line, as a panel's worker or the identification does.
bool AskWithReadLine(SerialLink& link, char* line) {
    int length = 0;
    return link.Write("U3\n", 3, 1) == 0 && link.ReadLine(line, &length) == 0;
}

// Sends "U3\n" and reads byte by byte without sleeping until the reply's "\n".
bool AskSpinning(SerialLink& link, char*) {
    if (link.Write("U3\n", 3, 1) != 0) return false;
    char byte[2];
    for (long spins = 0; spins < 100000000; ++spins) {
        if (link.ReadByte(byte) == 0 && byte[0] == '\n') return true;
    }
    return false;
}

template <bool (*Ask)(SerialLink&, char*)>
void BM_RoundTrip(benchmark::State& state) {
    // A box and servers of its own: a server lets go of the pty a moment after its client left,
    // and would take replies meant for the next run.
    Bench bench;
    if (!bench.error.empty()) {
        state.SkipWithError(bench.error.c_str());
        return;
    }
    SerialLink link;
    SerialPortSettings port;
    port.portNumber = static_cast<int>(state.range(0));
    port.baudRate = 115200;
    port.byteSize = 8;
    port.stopBits = 1;
    if (link.Open(port) == kNoSerialHandle) {
        state.SkipWithError("cannot open the entry");
        return;
    }
    char line[SerialLink::kLineBufferSize];
    int failures = 0;
    for (auto _ : state) {
        if (!Ask(link, line)) ++failures;
    }
    if (failures) state.SkipWithError("replies missing");
    link.Close();
}

}  // namespace

// Argument: the COM entry, 1 the local pty, 2 and 3 the network entries.
BENCHMARK_TEMPLATE(BM_RoundTrip, AskWithReadLine)
    ->Arg(kLocalCom)
    ->Arg(kNetworkCom)
    ->Arg(kNetworkPromptCom)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_RoundTrip, AskSpinning)
    ->Arg(kLocalCom)
    ->Arg(kNetworkCom)
    ->Arg(kNetworkPromptCom)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

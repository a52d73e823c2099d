#include "testkit/ser2net.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "testkit/child.h"
#include "testkit/wait.h"

namespace testkit {

std::string Ser2net::Program() {
    for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"}) {
        if (access(path, X_OK) == 0) return path;
    }
    return "";
}

Ser2net::Ser2net(const std::string& device, const std::vector<std::string>& options,
                 int readyTimeoutMs) {
    const std::string program = Program();
    port_ = FreeLocalPort();
    if (program.empty() || port_ <= 0) return;
    const std::string config = dir_.path() + "ser2net.yaml";
    std::string yaml = "connection: &box\n  accepter: telnet(rfc2217),tcp,127.0.0.1," +
                       std::to_string(port_) + "\n  connector: serialdev," + device +
                       ",9600n81,local\n";
    if (!options.empty()) yaml += "  options:\n";
    for (const std::string& option : options) yaml += "    " + option + "\n";
    WriteFile(config, yaml);
    pid_ = SpawnProgram(program, {program, "-n", "-d", "-c", config}, dir_.path() + "out");
    if (pid_ <= 0) {
        pid_ = -1;
        return;
    }
    bool ended = false;
    WaitFor(
        [&] {
            int status = 0;
            ended = ReapWithin(pid_, 0, &status) != 0;
            return ended || ListeningOn(port_);
        },
        readyTimeoutMs);
    if (ended) pid_ = -1;
    ready_ = !ended && ListeningOn(port_);
}

Ser2net::~Ser2net() {
    Stop();
}

std::string Ser2net::url() const {
    return "rfc2217://127.0.0.1:" + std::to_string(port_);
}

std::string Ser2net::output() const {
    return ReadFile(dir_.path() + "out");
}

void Ser2net::Stop(int graceMs) {
    if (pid_ <= 0) return;
    StopProcess(pid_, graceMs);
    pid_ = -1;
}

int FreeLocalPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

bool ListeningOn(int port) {
    // Lines of "sl local_address rem_address st ...": addresses in hex, state 0A is LISTEN.
    std::ifstream in("/proc/net/tcp");
    std::string line;
    std::getline(in, line);
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, ":%04X", static_cast<unsigned>(port));
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        if (!(fields >> slot >> local >> remote >> state)) continue;
        if (state != "0A" || local.size() < 5 || local.substr(local.size() - 5) != wanted) continue;
        const std::string host = local.substr(0, local.size() - 5);
        if (host == "0100007F" || host == "00000000") return true;
    }
    return false;
}

}  // namespace testkit

// ser2net (the Debian package) as a child process: one device served to RFC 2217 clients on
// 127.0.0.1 at a free port, for tests and benchmarks of network serial ports.
//
//   if (!testkit::Ser2net::Installed()) GTEST_SKIP() << testkit::Ser2net::kNotInstalled;
//   testkit::Ser2net server(ptyPath);
//   if (!server.ready()) ...
//   symlink(server.url().c_str(), comEntry);     // rfc2217://127.0.0.1:PORT
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "testkit/files.h"

namespace testkit {

class Ser2net {
  public:
    static constexpr const char* kNotInstalled = "ser2net is not installed (scripts/setup)";
    // The ser2net program, "" when it is not installed.
    static std::string Program();
    static bool Installed() { return !Program().empty(); }

    // Starts ser2net in the foreground serving device (a tty path) with
    // "accepter: telnet(rfc2217),tcp,127.0.0.1,PORT", and waits up to readyTimeoutMs until it
    // listens. options: lines for the connection's "options:" map (for instance
    // "chardelay: false"), "" for none. Its output goes to a file of its own (output()).
    explicit Ser2net(const std::string& device, const std::vector<std::string>& options = {},
                     int readyTimeoutMs = 20000);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    bool ready() const { return ready_; }
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    std::string url() const;  // "rfc2217://127.0.0.1:PORT"
    std::string output() const;

    // Ends it (SIGTERM, SIGKILL after graceMs); its clients see their connections end.
    void Stop(int graceMs = 5000);

  private:
    TempDir dir_;
    int port_ = 0;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// A TCP port on 127.0.0.1 that nothing uses now (the kernel's choice for a socket bound to
// port 0, released again; it does not hand the same port out again soon).
int FreeLocalPort();

// True when a socket listens on 127.0.0.1:port (or on every address), as /proc/net/tcp says.
bool ListeningOn(int port);

}  // namespace testkit

// qvx-boxsim (the simulated converter boxes) as a child process.
//
//   BoxSim sim({"--box", "io,speed=9600,com=3"});   // links COM3 in $VANTREL_COM_DIR
//   if (!sim.ready()) ...
//   sim.Control("io-in 0x5a");
//   sim.WaitForLog("tx \"O81\"");
//
// The simulator logs to a file of its own, makes its control FIFO and ready file in a temporary
// folder, and is ended (SIGTERM, then SIGKILL) when the object goes.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "testkit/files.h"

namespace testkit {

class BoxSim {
  public:
    // Starts BinDir()/qvx-boxsim with args (box descriptions and options) and waits up to
    // readyTimeoutMs for all its links; no longer once it has ended (bad arguments, a link in the
    // way). com=N in a box description names an entry of $VANTREL_COM_DIR unless args say
    // otherwise. Its standard output and error go to outFile ("" keeps this process's).
    explicit BoxSim(const std::vector<std::string>& args, int readyTimeoutMs = 20000,
                    const std::string& outFile = "");
    ~BoxSim();
    BoxSim(const BoxSim&) = delete;
    BoxSim& operator=(const BoxSim&) = delete;

    bool ready() const { return ready_; }
    pid_t pid() const { return pid_; }

    // Sends one control line (see qvx-boxsim --help). False when the simulator is not there.
    bool Control(const std::string& line) const;

    // The log so far, and waiting for a text to appear in it (after the first `after` bytes).
    std::string logPath() const { return dir_.path() + "sim.log"; }
    std::string Log() const;
    bool WaitForLog(const std::string& text, int timeoutMs = 30000, size_t after = 0) const;
    // The log from byte `from` on, without reading the part before it: a caller that polls for
    // new lines every millisecond need not read a long run's whole log each time.
    std::string LogFrom(size_t from) const;
    // Number of times text occurs in the log.
    int CountInLog(const std::string& text) const;

    // Ends the simulator with SIGTERM (SIGKILL after graceMs) and returns its exit code (-1 when
    // it had to be killed or ended by a signal).
    int Stop(int graceMs = 10000);
    bool Running();

  private:
    TempDir dir_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace testkit

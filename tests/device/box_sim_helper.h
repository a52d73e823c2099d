// Runs qvx-boxsim (the simulated converter boxes) as a child process for a test.
//
//   BoxSim sim({"--box", "io,speed=9600,com=3"});   // links COM3 in $VANTREL_COM_DIR
//   ASSERT_TRUE(sim.ready());
//   sim.Control("io-in 0x5a");
//   EXPECT_TRUE(sim.WaitForLog("tx \"O81\""));
//
// The simulator logs to a file of its own, makes its control FIFO and ready file in a temporary
// folder, and is ended (SIGTERM, then SIGKILL) when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/test_env.h"

class BoxSim {
  public:
    // Starts the simulator with args (box descriptions and options) and waits up to
    // readyTimeoutMs for all its links. com=N in a box description names an entry of
    // $VANTREL_COM_DIR unless args say otherwise.
    explicit BoxSim(const std::vector<std::string>& args, int readyTimeoutMs = 20000);
    ~BoxSim();
    BoxSim(const BoxSim&) = delete;
    BoxSim& operator=(const BoxSim&) = delete;

    bool ready() const { return ready_; }
    pid_t pid() const { return pid_; }

    // Sends one control line (see qvx-boxsim --help). False when the simulator is not there.
    bool Control(const std::string& line);

    // The log so far, and waiting for a text to appear in it (after the first `after` bytes).
    std::string Log() const;
    bool WaitForLog(const std::string& text, int timeoutMs = 10000, size_t after = 0) const;
    // Number of times text occurs in the log.
    int CountInLog(const std::string& text) const;

    // Ends the simulator with SIGTERM and returns its exit status (-1 when it had to be killed).
    int Stop();
    bool Running();

  private:
    TempDir dir_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

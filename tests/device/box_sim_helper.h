// Runs qvx-boxsim (the simulated converter boxes) as a child process for a test.
//
//   BoxSim sim({"--box", "io,speed=9600,com=3"});   // links COM3 in $VANTREL_COM_DIR
//   ASSERT_TRUE(sim.ready());
//   sim.Control("io-in 0x5a");
//   EXPECT_TRUE(sim.WaitForLog("tx \"O81\""));
//
// The simulator logs to a file of its own, makes its control FIFO and ready file in a temporary
// folder, and is ended (SIGTERM, then SIGKILL) when the object goes. The class lives in the
// testkit library, which the benchmarks share.
#pragma once

#include "support/test_env.h"
#include "testkit/box_sim.h"

using testkit::BoxSim;

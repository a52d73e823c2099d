// Test isolation: every test gets its own settings folder, COM port folder, status-word
// segment and runtime folder, so tests run in parallel and never touch real settings. The
// helpers themselves live in the testkit library, which the benchmarks share.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "statlink.h"
#include "testkit/child.h"
#include "testkit/files.h"
#include "testkit/isolated_env.h"
#include "testkit/wait.h"

using testkit::IsolatedEnv;
using testkit::TempDir;

// A fixture with an IsolatedEnv.
class IsolatedTest : public ::testing::Test {
  protected:
    IsolatedEnv env;
};

// A fixture for tests that run the real program as child processes: the children use the
// offscreen platform, and this process takes part in the status words from the start, so the
// words the children set outlive them (the words last while any process uses them).
class ProgramTest : public IsolatedTest {
  protected:
    ProgramTest() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        slk_ChangeCount();
    }
};

// File helpers.
using testkit::PathExists;
using testkit::ReadFile;
using testkit::WriteFile;

// The folder of the built executables (vantrel, qvx-boxsim, test helpers), ending in "/".
using testkit::BinDir;

// Polling waits: WaitFor(cond, timeoutMs = 30000) polls cond until it holds or the time is up.
using testkit::NowMs;
using testkit::SleepForMs;
using testkit::WaitFor;

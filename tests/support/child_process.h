// Child processes for tests: starting a program without a shell, and waiting for its end.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "testkit/child.h"

// SpawnProgram(path, argv, outFile = "", envp = nullptr), StartProgram(program, args, outFile)
// and WaitForExitCode(pid, timeoutMs), which kills and reaps a child still running at the end.
using testkit::SpawnProgram;
using testkit::StartProgram;
using testkit::WaitForExitCode;

// Runs body in a child process whose files may grow to at most bytes: a full disk, made real for
// root too. SIGXFSZ is ignored there, so a write past the limit fails with EFBIG. True when the
// child ran body and body returned true.
bool RunWithFileSizeLimit(size_t bytes, const std::function<bool()>& body);

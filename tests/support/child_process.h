// Child processes for tests: starting a program without a shell, and waiting for its end.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Starts path with argv (argv[0] included), envp (null: this process's environment); standard
// output and error go to outFile ("" keeps this process's). Returns the pid, or -1.
pid_t SpawnProgram(const std::string& path, const std::vector<std::string>& argv,
                   const std::string& outFile = "", const std::vector<std::string>* envp = nullptr);

// Starts BinDir()/program with args, as SpawnProgram does.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& outFile = "");

// Runs body in a child process whose files may grow to at most bytes: a full disk, made real for
// root too. SIGXFSZ is ignored there, so a write past the limit fails with EFBIG. True when the
// child ran body and body returned true.
bool RunWithFileSizeLimit(size_t bytes, const std::function<bool()>& body);

// The exit code once pid (a child of this process) has ended within timeoutMs, 128 + the
// signal for a signal; -1 when it was still running (it is then killed and reaped).
int WaitForExitCode(pid_t pid, int timeoutMs);

// Child processes: starting a program without a shell, waiting for its end and reaping it.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace testkit {

// The folder of the built executables (vantrel, qvx-boxsim, test helpers), ending in "/":
// $VANTREL_BIN_DIR when set, else the folder of the running program.
std::string BinDir();

// Starts path with argv (argv[0] included), envp (null: this process's environment); standard
// output and error go to outFile, appended ("" keeps this process's). Standard input is
// /dev/null, so no child of a test reads from (or stops on) the terminal. Returns the pid, or -1.
pid_t SpawnProgram(const std::string& path, const std::vector<std::string>& argv,
                   const std::string& outFile = "", const std::vector<std::string>* envp = nullptr);

// Starts BinDir()/program with args, as SpawnProgram does.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& outFile = "");

// Polls waitpid(pid, WNOHANG) every pollMs until it reports something or timeoutMs passes, and
// returns its last answer: pid once the child has ended and is reaped here (its wait status in
// *status), -1 when pid is no child of this process (any more) or no pid at all (<= 0, which
// would name other processes to waitpid), 0 while it still runs.
pid_t ReapWithin(pid_t pid, int timeoutMs, int* status, int pollMs = 2);

// The exit code in a wait status, 128 + the signal for a killed process.
int ExitCodeOf(int status);

// The exit code once child pid has ended within timeoutMs; -1 while it still runs.
int ExitCodeWithin(pid_t pid, int timeoutMs, int pollMs = 2);

// As ExitCodeWithin, but a child still running then is killed and reaped, so none is left. A pid
// that is no child of this process (any more) gets no signal: it may belong to another by now.
int WaitForExitCode(pid_t pid, int timeoutMs);

// Ends child pid with SIGTERM, SIGKILL after graceMs, and reaps it. Returns its wait status when
// it ended within graceMs (0, without a signal sent, when it had been reaped elsewhere), -1 when
// it had to be killed.
int StopProcess(pid_t pid, int graceMs = 5000, int pollMs = 2);

// Reaps every child of this process that ends until each of `pids` has been reaped here or is
// gone (reaped by its own parent). Returns the exit codes of those reaped here (128 + signal
// for a killed one); false in `*allEnded` when the time ran out first. A process counts as
// ended only once reaped, never as a zombie seen between two reaps, so no exit code is missed.
std::map<pid_t, int> ReapUntilEnded(const std::vector<pid_t>& pids, int timeoutMs, bool* allEnded);

}  // namespace testkit

// Real processes for the fault tests: starting vantrel (or the panel host) as the launcher
// starts its panels, waiting for an end, and what /proc says about a process and its children.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starts BinDir()/program with args; its output goes to outFile ("" keeps this process's).
// Returns the pid, -1 when it could not be started.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& outFile = "");

// The exit code once pid (a child of this process) has ended within timeoutMs, 128 + the
// signal for a signal; -1 when it was still running (it is then killed and reaped).
int WaitForExitCode(pid_t pid, int timeoutMs);

// The state letter of /proc/<pid>/stat (R, S, Z, ...), 0 when the process is gone.
char ProcessState(pid_t pid);
bool Ended(pid_t pid);  // gone, or a zombie

// The processes whose parent is ppid, and those of them that are zombies.
std::vector<pid_t> ChildrenOf(pid_t ppid);
std::vector<pid_t> ZombieChildrenOf(pid_t ppid);

// True once the process has its own handler for SIGTERM (the launcher sets one up as its window
// initialises).
bool CatchesSigterm(pid_t pid);

// The names in a folder, sorted (without "." and "..").
std::vector<std::string> FolderEntries(const std::string& folder);

// Real processes for the fault tests: starting vantrel (or the panel host) as the launcher
// starts its panels, waiting for an end, and what /proc says about a process and its children.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "support/child_process.h"

// The state letter of /proc/<pid>/stat (R, S, Z, ...), 0 when the process is gone.
char ProcessState(pid_t pid);
bool Ended(pid_t pid);  // gone, or a zombie

// Reaps every child of this process that ends until each of `pids` has been reaped here or is
// gone (reaped by its own parent). Returns the exit codes of those reaped here (128 + signal
// for a killed one); false in `*allEnded` when the time ran out first. A process counts as
// ended only once reaped, never as a zombie seen between two reaps, so no exit code is missed.
std::map<pid_t, int> ReapUntilEnded(const std::vector<pid_t>& pids, int timeoutMs, bool* allEnded);

// The processes whose parent is ppid, and those of them that are zombies.
std::vector<pid_t> ChildrenOf(pid_t ppid);
std::vector<pid_t> ZombieChildrenOf(pid_t ppid);

// True once the process has its own handler for SIGTERM (the launcher sets one up as its window
// initialises).
bool CatchesSigterm(pid_t pid);

// The names in a folder, sorted (without "." and "..").
std::vector<std::string> FolderEntries(const std::string& folder);

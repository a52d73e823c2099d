// Starting a program as its own process, the way the launcher starts its panels: no shell, the
// arguments handed over one by one, and every started child reaped so none stays a zombie.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Windows-style results of starting a program: above 32 is success.
enum SpawnResult : int {
    kSpawnFileNotFound = 2,
    kSpawnPathNotFound = 3,
    kSpawnAccessDenied = 5,
    kSpawnOutOfMemory = 8,
    kSpawnBadFormat = 11,
    kSpawnStarted = 42,
};

// Starts path with argv[0] = path and args as the further arguments, with the caller's
// environment, default signal handling and an empty signal mask. Returns a value above 32 when
// the process was started, otherwise one of the codes above; *pid gets the child's id when given.
// A program that cannot be executed (missing, no permission, not a program) is reported here,
// not as a child that ends at once.
int SpawnProgram(const std::string& path, const std::vector<std::string>& args,
                 pid_t* pid = nullptr);

// Maps an errno value of starting a program to the Windows-style code (never above 32).
int SpawnErrorCode(int error);

// Reaps every child started by SpawnProgram that has ended, without waiting. Returns the number
// reaped. Safe to call from any thread; cheap when no child was started.
int ReapSpawnedChildren();

// Descriptors that become readable when a started child ends, one per child not yet reaped,
// written into fds; returns their number, or -1 when some child has none (a kernel without
// process descriptors, more than max children): the caller then sweeps on a timer. A descriptor
// stays valid until ReapSpawnedChildren frees its child.
int SpawnedChildEndFds(int* fds, int max);

// The number of started children not yet reaped.
int SpawnedChildrenRunning();

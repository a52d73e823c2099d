// What /proc says about a process: its state, its children, its signal handlers, its program.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace testkit {

// The fields of /proc/<pid>/stat from the state on (after the command name, which may hold
// blanks and parentheses); "" when the process is gone.
std::string ProcStatFields(pid_t pid);

// The state letter of /proc/<pid>/stat (R, S, Z, ...), 0 when the process is gone.
char ProcessState(pid_t pid);
bool Ended(pid_t pid);  // gone, or a zombie

// The processes whose parent is ppid, and those of them that are zombies.
std::vector<pid_t> ChildrenOf(pid_t ppid);
std::vector<pid_t> ZombieChildrenOf(pid_t ppid);

// True once the process has its own handler for each of `signalNumbers` (the launcher sets them up
// as its window initialises).
bool CatchesSignals(pid_t pid, std::initializer_list<int> signalNumbers);
inline bool CatchesSigterm(pid_t pid) {
    return CatchesSignals(pid, {SIGTERM});
}

// The program a process runs (the target of /proc/<pid>/exe), "" when unknown.
std::string ExeOf(pid_t pid);

// The command line of a process after argv[0], each argument followed by a NUL byte.
std::string ArgumentsOf(pid_t pid);

}  // namespace testkit

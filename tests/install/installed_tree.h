// Helpers for the tests of an installed program (a `cmake --install` prefix, an unpacked
// package): children that can find nothing of the build tree, and where a running process
// mapped a library from.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// This process's environment without LD_LIBRARY_PATH and without any variable whose value
// names buildDir, so that only the programs' own run paths and places lead them to their files.
std::vector<std::string> EnvironmentWithout(const std::string& buildDir);

// Starts argv[0] with argv in that environment; standard output and error go to outFile ("" keeps
// them). Returns the pid, or -1.
pid_t SpawnOutsideBuild(const std::vector<std::string>& argv, const std::string& buildDir,
                        const std::string& outFile = "");

// Runs argv as SpawnOutsideBuild does and returns its exit code, -1 when it did not end within
// timeoutMs (it is killed then).
int RunOutsideBuild(const std::vector<std::string>& argv, const std::string& buildDir,
                    const std::string& outFile, int timeoutMs = 120000);

// The path the running process pid mapped a file named fileName from ("" when none).
std::string MappedFrom(pid_t pid, const std::string& fileName);

// The program name found in a folder of $PATH, "" when there is none.
std::string FindOnPath(const std::string& name);

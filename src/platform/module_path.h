// The path of the running executable.
#pragma once

#include <string>

// The absolute path of the running executable (readlink of /proc/self/exe), or "" when it
// cannot be read.
std::string ModulePath();

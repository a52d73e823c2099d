#include "platform/module_path.h"

#include <limits.h>
#include <unistd.h>

std::string ModulePath() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    // A result that fills the buffer may have been cut; a cut path names the wrong folder.
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buf) return std::string();
    return std::string(buf, static_cast<size_t>(n));
}

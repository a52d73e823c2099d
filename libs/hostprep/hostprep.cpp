#include "hostprep.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

extern "C" {

int hpr_FilePresent(const char* path) {
    if (!path || !*path) return 0;
    struct stat st {};
    return stat(path, &st) == 0 && !S_ISDIR(st.st_mode) ? 1 : 0;
}

int hpr_HostCheckAndAppPath(char* buf, int size) {
    if (!buf || size <= 0) return -1;
    buf[0] = '\0';
    std::string folder;
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config && *config) {
        folder = config;
    } else {
        const char* home = getenv("HOME");
        if (!home || !*home) return -1;
        folder = home;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        folder += folder == "/" ? ".config" : "/.config";
    }
    // Callers append their own "/..." parts.
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.size() + 1 > static_cast<size_t>(size)) return -1;
    memcpy(buf, folder.c_str(), folder.size() + 1);
    return 0;
}

int hpr_MakeFolder(const char* path) {
    if (!path || !*path) return -1;
    std::string p(path);
    // Create every parent in turn; a part that exists already is fine.
    for (size_t pos = 1; pos <= p.size(); ++pos) {
        if (pos != p.size() && p[pos] != '/') continue;
        std::string part = p.substr(0, pos);
        if (part.empty() || part.back() == '/') continue;
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return -1;
    }
    return IsFolder(p) ? 0 : -1;
}

}  // extern "C"

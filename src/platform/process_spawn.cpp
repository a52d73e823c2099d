#include "platform/process_spawn.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

extern char** environ;

namespace {

// The started children not yet reaped, one pid per slot (0 = free). Lock-free so that the
// supervision thread can sweep while the window thread starts a child.
constexpr int kChildSlots = 256;
std::atomic<pid_t> g_children[kChildSlots];
std::atomic<int> g_running{0};
// Set when a child found no free slot; from then on sweeps also reap any ended child.
std::atomic<bool> g_overflow{false};

void Remember(pid_t pid) {
    for (auto& slot : g_children) {
        pid_t expected = 0;
        if (slot.compare_exchange_strong(expected, pid)) {
            g_running.fetch_add(1);
            return;
        }
    }
    g_overflow.store(true);
}

// True when the folder part of path is missing or is not a folder.
bool FolderMissing(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st;
    return stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
}

}  // namespace

int SpawnErrorCode(int error) {
    switch (error) {
        case ENOENT:
            return kSpawnFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return kSpawnPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
        case ETXTBSY:
            return kSpawnAccessDenied;
        case ENOMEM:
        case EAGAIN:
        case E2BIG:
            return kSpawnOutOfMemory;
        case ENOEXEC:
        case EINVAL:
            return kSpawnBadFormat;
        default:
            return kSpawnFileNotFound;
    }
}

int SpawnProgram(const std::string& path, const std::vector<std::string>& args, pid_t* pid) {
    if (path.empty()) return kSpawnFileNotFound;

    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    // The child starts with default handlers and nothing blocked, whatever this process set
    // up for its own signals.
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0) return kSpawnOutOfMemory;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE, SIGQUIT}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t child = 0;
    const int error = posix_spawn(&child, path.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (error != 0) {
        // A missing folder on the way is "path not found", a missing file "file not found".
        if (error == ENOENT && FolderMissing(path)) return kSpawnPathNotFound;
        return SpawnErrorCode(error);
    }
    Remember(child);
    if (pid) *pid = child;
    return kSpawnStarted;
}

int ReapSpawnedChildren() {
    int reaped = 0;
    if (g_running.load() > 0) {
        for (auto& slot : g_children) {
            const pid_t pid = slot.load();
            if (pid == 0) continue;
            const pid_t r = waitpid(pid, nullptr, WNOHANG);
            // Ended, or no longer our child (reaped by someone else): free the slot.
            if (r == pid || (r < 0 && errno == ECHILD)) {
                pid_t expected = pid;
                if (slot.compare_exchange_strong(expected, 0)) {
                    g_running.fetch_sub(1);
                    ++reaped;
                }
            }
        }
    }
    if (g_overflow.load()) {
        while (waitpid(-1, nullptr, WNOHANG) > 0) ++reaped;
    }
    return reaped;
}

int SpawnedChildrenRunning() {
    return g_running.load();
}

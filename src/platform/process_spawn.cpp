#include "platform/process_spawn.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

extern char** environ;

namespace {

// The started children not yet reaped, one pid per slot (0 = free). Lock-free so that the
// supervision thread can sweep while the window thread starts a child.
constexpr int kChildSlots = 256;
std::atomic<pid_t> g_children[kChildSlots];
// Beside each slot: a descriptor that becomes readable when that child ends, kept as fd + 1
// (0 = none), so the supervision can sleep until a panel ends instead of sweeping on a timer.
std::atomic<int> g_endFds[kChildSlots];
std::atomic<int> g_running{0};
// Set when a child found no free slot; from then on sweeps also reap any ended child.
std::atomic<bool> g_overflow{false};

// A process descriptor of pid, or -1 where the kernel has none (before Linux 5.3). The pid
// cannot have been reused: only this process reaps its children.
int OpenEndFd(pid_t pid) {
#ifdef SYS_pidfd_open
    const long fd = syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(fd);
    }
#endif
    (void)pid;
    return -1;
}

void Remember(pid_t pid) {
    for (int i = 0; i < kChildSlots; ++i) {
        pid_t expected = 0;
        if (g_children[i].compare_exchange_strong(expected, pid)) {
            g_endFds[i].store(OpenEndFd(pid) + 1);
            g_running.fetch_add(1);
            return;
        }
    }
    g_overflow.store(true);
}

// Frees slot i after its child was reaped; its end descriptor is closed first, so a child that
// takes the slot next never finds the old one there.
bool Forget(int i, pid_t pid) {
    const int fd = g_endFds[i].exchange(0) - 1;
    if (fd >= 0) close(fd);
    pid_t expected = pid;
    return g_children[i].compare_exchange_strong(expected, 0);
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
        for (int i = 0; i < kChildSlots; ++i) {
            const pid_t pid = g_children[i].load();
            if (pid == 0) continue;
            const pid_t r = waitpid(pid, nullptr, WNOHANG);
            // Ended, or no longer our child (reaped by someone else): free the slot.
            if ((r == pid || (r < 0 && errno == ECHILD)) && Forget(i, pid)) {
                g_running.fetch_sub(1);
                ++reaped;
            }
        }
    }
    if (g_overflow.load()) {
        while (waitpid(-1, nullptr, WNOHANG) > 0) ++reaped;
    }
    return reaped;
}

int SpawnedChildEndFds(int* fds, int max) {
    if (g_overflow.load()) return -1;
    int count = 0;
    for (int i = 0; i < kChildSlots; ++i) {
        if (g_children[i].load() == 0) continue;
        const int fd = g_endFds[i].load() - 1;
        if (fd < 0 || count == max) return -1;
        fds[count++] = fd;
    }
    return count;
}

int SpawnedChildrenRunning() {
    return g_running.load();
}

#include "platform/instance_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::string TmpLockPath(const std::string& baseName) {
    return "/tmp/" + baseName + "-" + std::to_string(getuid()) + ".lock";
}

// A lock file another user could open would let that user hold the lock (and so keep this
// user's launcher from starting) or see it: only a regular file of this user is taken, and one
// open to others is made private first. A refused file is named on stderr once.
bool IsPrivateLockFile(int fd, const std::string& path) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return false;
    const char* why = nullptr;
    if (!S_ISREG(st.st_mode)) {
        why = "it is not a regular file";
    } else if (st.st_uid != geteuid()) {
        why = "it belongs to another user";
    } else if ((st.st_mode & 077) != 0 && fchmod(fd, 0600) != 0) {
        why = "it is open to other users and cannot be made private";
    }
    if (why) fprintf(stderr, "vantrel: lock file %s not used: %s\n", path.c_str(), why);
    return why == nullptr;
}

int OpenLockFile(const std::string& path) {
    // O_CLOEXEC: panels started by the launcher must not inherit (and so keep) the lock.
    // O_NOFOLLOW: in a shared folder such as /tmp, never follow a link someone planted.
    // O_NONBLOCK: a FIFO planted under the name must not stall the open.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd >= 0 && !IsPrivateLockFile(fd, path)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

InstanceLock::~InstanceLock() {
    Release();
}

std::string InstanceLock::LockFilePath(const std::string& baseName) {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        std::string dir = runtime;
        if (dir.back() != '/') dir += '/';
        return dir + baseName + ".lock";
    }
    return TmpLockPath(baseName);
}

InstanceLock::Result InstanceLock::Acquire(const std::string& baseName) {
    Release();
    const std::string path = LockFilePath(baseName);
    int fd = OpenLockFile(path);
    // A runtime folder we cannot write to: fall back to /tmp, which every launcher of this
    // user with the same environment falls back to as well.
    if (fd < 0 && path != TmpLockPath(baseName)) fd = OpenLockFile(TmpLockPath(baseName));
    if (fd < 0) return kUnavailable;
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        close(fd);
        return busy ? kAlreadyRunning : kUnavailable;
    }
    fd_ = fd;
    return kAcquired;
}

void InstanceLock::Release() {
    if (fd_ >= 0) close(fd_);  // closing the descriptor drops the lock
    fd_ = -1;
}

#include "platform/instance_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string TmpLockPath(const std::string& baseName) {
    return "/tmp/" + baseName + "-" + std::to_string(getuid()) + ".lock";
}

int OpenLockFile(const std::string& path) {
    // O_CLOEXEC: panels started by the launcher must not inherit (and so keep) the lock.
    // O_NOFOLLOW: in a shared folder such as /tmp, never follow a link someone planted.
    return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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
    int fd = OpenLockFile(LockFilePath(baseName));
    // A runtime folder we cannot write to: fall back to /tmp, which every launcher of this
    // user with the same environment falls back to as well.
    if (fd < 0) fd = OpenLockFile(TmpLockPath(baseName));
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

// The single-instance lock of the launcher: an exclusive flock on a file named after the
// executable's base name. The kernel drops the lock when the process ends, so a crashed
// launcher leaves no stale lock behind. Only a regular file of this user is taken as lock file
// (one open to other users is made private first), so another user cannot hold or share the
// lock by planting the file in /tmp; a refused file counts as no lock file (kUnavailable).
#pragma once

#include <string>

class InstanceLock {
  public:
    enum Result {
        kAcquired,        // this process is the only one
        kAlreadyRunning,  // another process holds the lock
        kUnavailable,     // no lock file could be opened; the caller carries on without one
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock named after baseName, without waiting. The lock is held until Release or
    // the destructor.
    Result Acquire(const std::string& baseName);
    void Release();
    bool held() const { return fd_ >= 0; }

    // The lock file for baseName: $XDG_RUNTIME_DIR/<base name>.lock, or
    // /tmp/<base name>-<uid>.lock when that variable is unset or empty.
    static std::string LockFilePath(const std::string& baseName);

  private:
    int fd_ = -1;
};

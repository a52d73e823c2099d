// The launcher's single-instance lock in its /tmp fallback place, where other users can plant
// files: a file that is not this user's own must neither block nor share the lock.
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/test_env.h"

namespace {

class InstanceLockInTmp : public IsolatedTest {
  protected:
    InstanceLockInTmp() {
        unsetenv("XDG_RUNTIME_DIR");  // IsolatedEnv puts it back
        path_ = InstanceLock::LockFilePath(base_);
        unlink(path_.c_str());
    }
    ~InstanceLockInTmp() override { unlink(path_.c_str()); }

    // Plants the lock file as another program would; returns its descriptor.
    int Plant(mode_t mode, uid_t owner) {
        const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        EXPECT_GE(fd, 0) << path_;
        EXPECT_EQ(fchmod(fd, mode), 0);
        EXPECT_EQ(fchown(fd, owner, owner), 0);
        return fd;
    }
    struct stat Stat() const {
        struct stat st {};
        EXPECT_EQ(stat(path_.c_str(), &st), 0);
        return st;
    }

    const std::string base_ = "vantrel-lock-test-" + std::to_string(getpid());
    std::string path_;
};

}  // namespace

TEST_F(InstanceLockInTmp, AFileOfAnotherUserNeitherBlocksNorSharesTheLock) {
    if (geteuid() != 0) GTEST_SKIP() << "making a file of another user needs root";
    ASSERT_EQ(path_, "/tmp/" + base_ + "-" + std::to_string(getuid()) + ".lock");
    const int theirs = Plant(0666, 65534);
    ASSERT_EQ(flock(theirs, LOCK_EX | LOCK_NB), 0);  // they hold it

    InstanceLock lock;
    EXPECT_EQ(lock.Acquire(base_), InstanceLock::kUnavailable);
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(Stat().st_uid, 65534u);
    EXPECT_EQ(Stat().st_mode & 0777, 0666u);

    // Nor is it taken when they do not hold it: holding their file would tell them (and any
    // launcher of theirs) that ours runs.
    flock(theirs, LOCK_UN);
    EXPECT_EQ(lock.Acquire(base_), InstanceLock::kUnavailable);
    EXPECT_FALSE(lock.held());
    close(theirs);
}

TEST_F(InstanceLockInTmp, AnOwnFileOpenToOthersIsMadePrivateAndLocked) {
    close(Plant(0666, geteuid()));
    InstanceLock first;
    EXPECT_EQ(first.Acquire(base_), InstanceLock::kAcquired);
    EXPECT_EQ(Stat().st_mode & 0777, 0600u);
    InstanceLock second;
    EXPECT_EQ(second.Acquire(base_), InstanceLock::kAlreadyRunning);
}

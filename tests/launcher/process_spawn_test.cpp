#include "platform/process_spawn.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/test_env.h"

namespace {

bool ProcessGone(pid_t pid) {
    return !PathExists("/proc/" + std::to_string(pid));
}

// Reaps until the child is gone from the process table (not even a zombie).
bool ReapedAway(pid_t pid) {
    return WaitFor(
        [&] {
            ReapSpawnedChildren();
            return ProcessGone(pid);
        },
        20000);
}

}  // namespace

TEST(ProcessSpawn, ArgumentsGoOneByOneWithoutAShellAndTheChildIsReaped) {
    TempDir dir;
    const std::string out = dir.path() + "out";
    pid_t pid = 0;
    // Blanks and shell characters in an argument stay inside that argument.
    const int result = SpawnProgram(
        "/bin/sh", {"-c", "printf '%s|' \"$@\" > \"$0\"", out, "/5", "/QVX-AD", "a b;$(x)"}, &pid);
    EXPECT_GT(result, 32);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(ReapedAway(pid));
    EXPECT_EQ("/5|/QVX-AD|a b;$(x)|", ReadFile(out));
    EXPECT_EQ(0, SpawnedChildrenRunning());
}

TEST(ProcessSpawn, ChildStartsWithNothingBlocked) {
    // A launcher blocks or catches its end signals; its panels must still end on SIGTERM.
    TempDir dir;
    const std::string out = dir.path() + "mask";
    sigset_t block, old;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &block, &old);
    pid_t pid = 0;
    const int result = SpawnProgram(
        "/bin/sh", {"-c", "grep -E '^Sig(Blk|Ign)' /proc/self/status > \"$0\"", out}, &pid);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ASSERT_GT(result, 32);
    ASSERT_TRUE(ReapedAway(pid));
    const std::string status = ReadFile(out);
    EXPECT_NE(std::string::npos, status.find("SigBlk:\t0000000000000000")) << status;
}

TEST(ProcessSpawn, FailuresMapToWindowsCodes) {
    TempDir dir;
    EXPECT_EQ(kSpawnFileNotFound, SpawnProgram(dir.path() + "missing", {}));
    EXPECT_EQ(kSpawnPathNotFound, SpawnProgram(dir.path() + "nofolder/prog", {}));
    EXPECT_EQ(kSpawnFileNotFound, SpawnProgram("", {}));

    const std::string text = dir.path() + "notes.txt";
    WriteFile(text, "just text\n");
    chmod(text.c_str(), 0644);
    if (geteuid() != 0) {
        EXPECT_EQ(kSpawnAccessDenied, SpawnProgram(text, {}));
    }
    // Executable bits on something that is no program.
    const std::string bogus = dir.path() + "bogus";
    WriteFile(bogus, std::string("\x7f"
                                 "ELF garbage",
                                 12));
    chmod(bogus.c_str(), 0755);
    EXPECT_EQ(kSpawnBadFormat, SpawnProgram(bogus, {}));
    // A folder is not a program.
    EXPECT_EQ(kSpawnAccessDenied, SpawnProgram(dir.path(), {}));
    EXPECT_EQ(0, SpawnedChildrenRunning());

    EXPECT_EQ(kSpawnOutOfMemory, SpawnErrorCode(ENOMEM));
    EXPECT_EQ(kSpawnPathNotFound, SpawnErrorCode(ENOTDIR));
}

TEST(ProcessSpawn, EachRunningChildHasADescriptorThatSaysItEnded) {
    pid_t sleeper = 0, quick = 0;
    ASSERT_GT(SpawnProgram("/bin/sleep", {"30"}, &sleeper), 32);
    ASSERT_GT(SpawnProgram("/bin/true", {}, &quick), 32);
    int fds[4];
    ASSERT_EQ(SpawnedChildEndFds(fds, 4), 2);
    EXPECT_EQ(SpawnedChildEndFds(fds, 1), -1);  // more children than room: sweep on a timer
    // Only the child that ended makes its descriptor readable.
    pollfd ends[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
    ASSERT_EQ(poll(ends, 2, 20000), 1);
    EXPECT_TRUE(ReapedAway(quick));
    ASSERT_EQ(SpawnedChildEndFds(fds, 4), 1);
    pollfd left{fds[0], POLLIN, 0};
    EXPECT_EQ(poll(&left, 1, 0), 0);
    kill(sleeper, SIGTERM);
    EXPECT_EQ(poll(&left, 1, 20000), 1);
    EXPECT_TRUE(ReapedAway(sleeper));
    EXPECT_EQ(SpawnedChildEndFds(fds, 4), 0);
}

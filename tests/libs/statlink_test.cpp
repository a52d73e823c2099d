#include "statlink.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/test_env.h"

TEST(Statlink, WordsStartAtZeroAndKeepTheirOwnValues) {
    IsolatedEnv env;
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(slk_GetMainSta(ch), 0);
        EXPECT_EQ(slk_GetChildSta(ch), 0);
        EXPECT_EQ(slk_GetChildErr(ch), 0);
    }
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(slk_SetMainSta(ch, 100 + ch), 0);
        EXPECT_EQ(slk_SetChildSta(ch, 200 + ch), 0);
        EXPECT_EQ(slk_SetChildErr(ch, 300 + ch), 0);
    }
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(slk_GetMainSta(ch), 100 + ch);
        EXPECT_EQ(slk_GetChildSta(ch), 200 + ch);
        EXPECT_EQ(slk_GetChildErr(ch), 300 + ch);
    }
    // Full 32-bit signed values survive.
    slk_SetChildErr(2, -2147483647 - 1);
    EXPECT_EQ(slk_GetChildErr(2), -2147483647 - 1);
    slk_SetMainSta(3, 2147483647);
    EXPECT_EQ(slk_GetMainSta(3), 2147483647);

    // The segment is private to this user.
    struct stat st {};
    ASSERT_EQ(stat(("/dev/shm" + env.statlinkName()).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_GE(st.st_size, 48);
}

TEST(Statlink, ChannelsOutsideZeroToThreeReadZeroAndAreNotWritten) {
    IsolatedEnv env;
    // One valid write first, so that whatever lies past the last channel has moved too.
    EXPECT_EQ(slk_SetChildErr(3, 9), 0);
    for (int ch : {-1, 4, 5, 1000, -2147483647 - 1, 2147483647}) {
        EXPECT_EQ(slk_SetMainSta(ch, 7), -1) << ch;
        EXPECT_EQ(slk_SetChildSta(ch, 7), -1) << ch;
        EXPECT_EQ(slk_SetChildErr(ch, 7), -1) << ch;
        EXPECT_EQ(slk_GetMainSta(ch), 0) << ch;
        EXPECT_EQ(slk_GetChildSta(ch), 0) << ch;
        EXPECT_EQ(slk_GetChildErr(ch), 0) << ch;
    }
    // A write to channel 4 must not land in a neighbour's words either.
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(slk_GetMainSta(ch), 0);
        EXPECT_EQ(slk_GetChildSta(ch), 0);
        EXPECT_EQ(slk_GetChildErr(ch), ch == 3 ? 9 : 0);
    }
}

TEST(Statlink, FollowsTheSegmentNamedInTheEnvironment) {
    IsolatedEnv first;
    slk_SetChildErr(1, 11);
    {
        IsolatedEnv second;  // names a fresh segment
        EXPECT_EQ(slk_GetChildErr(1), 0);
        slk_SetChildErr(1, 22);
        EXPECT_EQ(slk_GetChildErr(1), 22);
        // Back to the first name: its mapping is found again.
        setenv("VANTREL_STATLINK", first.statlinkName().c_str(), 1);
        EXPECT_EQ(slk_GetChildErr(1), 11);
        setenv("VANTREL_STATLINK", second.statlinkName().c_str(), 1);
        EXPECT_EQ(slk_GetChildErr(1), 22);
    }
    EXPECT_EQ(slk_GetChildErr(1), 11);
    // A name without the leading "/" names the same segment.
    setenv("VANTREL_STATLINK", first.statlinkName().c_str() + 1, 1);
    EXPECT_EQ(slk_GetChildErr(1), 11);
}

TEST(Statlink, ASegmentThatCannotBeMadeReadsZeroAndDropsWrites) {
    IsolatedEnv env;
    // A "/" inside the name is refused by shm_open.
    setenv("VANTREL_STATLINK", "/no/such/segment", 1);
    EXPECT_EQ(slk_SetMainSta(0, 5), -1);
    EXPECT_EQ(slk_GetMainSta(0), 0);
    EXPECT_EQ(slk_SetChildErr(3, 5), -1);
    EXPECT_EQ(slk_GetChildErr(3), 0);
    // And the library recovers as soon as a usable name is back.
    setenv("VANTREL_STATLINK", env.statlinkName().c_str(), 1);
    EXPECT_EQ(slk_SetMainSta(0, 5), 0);
    EXPECT_EQ(slk_GetMainSta(0), 5);
}

namespace {

// Makes the segment of this test's name by hand, as another program would, with the given mode
// and owner, and with word 3 (channel 1's main word) set to 1. Returns its mapping, or null.
std::atomic<int32_t>* MakeSegmentByHand(const std::string& name, mode_t mode, uid_t owner) {
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return nullptr;
    void* p = MAP_FAILED;
    if (ftruncate(fd, 48) == 0 && fchmod(fd, mode) == 0 && fchown(fd, owner, owner) == 0) {
        p = mmap(nullptr, 48, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    close(fd);
    if (p == MAP_FAILED) return nullptr;
    auto* words = static_cast<std::atomic<int32_t>*>(p);
    words[3].store(1);
    return words;
}

}  // namespace

TEST(Statlink, ASegmentOfAnotherUserIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "making an object of another user needs root";
    IsolatedEnv env;
    const uid_t stranger = 65534;
    std::atomic<int32_t>* theirs = MakeSegmentByHand(env.statlinkName(), 0666, stranger);
    ASSERT_NE(theirs, nullptr);

    testing::internal::CaptureStderr();
    // Their end request does not reach this process, and nothing of ours lands in their words.
    EXPECT_EQ(slk_GetMainSta(1), 0);
    EXPECT_EQ(slk_SetChildErr(1, 9), -1);
    EXPECT_EQ(slk_SetMainSta(0, 1), -1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(theirs[3].load(), 1);
    EXPECT_EQ(theirs[5].load(), 0);
    EXPECT_EQ(theirs[0].load(), 0);
    // One clear line naming the segment and its owner.
    EXPECT_NE(said.find(env.statlinkName()), std::string::npos) << said;
    EXPECT_NE(said.find("belongs to user 65534"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    // It is left as it was.
    struct stat st {};
    ASSERT_EQ(stat(("/dev/shm" + env.statlinkName()).c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, stranger);
    EXPECT_EQ(st.st_mode & 0777, 0666u);
}

TEST(Statlink, AnOwnSegmentOpenToOthersIsMadePrivate) {
    for (mode_t mode : {0660, 0604, 0666}) {
        SCOPED_TRACE(mode);
        IsolatedEnv env;
        ASSERT_NE(MakeSegmentByHand(env.statlinkName(), mode, geteuid()), nullptr);
        testing::internal::CaptureStderr();
        EXPECT_EQ(slk_SetChildErr(2, 4), 0);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(slk_GetChildErr(2), 4);
        struct stat st {};
        ASSERT_EQ(stat(("/dev/shm" + env.statlinkName()).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_NE(said.find("private"), std::string::npos) << said;
    }
}

TEST(Statlink, AnOlderSmallerSegmentIsGrownAndKeepsItsWordsInPlace) {
    IsolatedEnv env;
    // Made by an older build: the 12 words alone, 48 bytes.
    std::atomic<int32_t>* words = MakeSegmentByHand(env.statlinkName(), 0600, geteuid());
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(slk_SetChildErr(1, 8), 0);  // taken into use (and grown) here
    EXPECT_EQ(words[3 * 1 + 2].load(), 8);
    struct stat st {};
    ASSERT_EQ(stat(("/dev/shm" + env.statlinkName()).c_str(), &st), 0);
    EXPECT_GE(st.st_size, 52);  // the change counter follows the words
    // A word written by the older build is read where it always was.
    words[3 * 2 + 1].store(3);
    EXPECT_EQ(slk_GetChildSta(2), 3);
    munmap(words, 48);
}

TEST(Statlink, SettersMoveTheChangeCounterAndWakeItsWaiters) {
    IsolatedEnv env;
    const unsigned before = slk_ChangeCount();
    EXPECT_EQ(slk_WaitChange(before + 1, 30000), before);  // not `seen`: back at once
    slk_SetMainSta(0, 1);
    EXPECT_NE(slk_ChangeCount(), before);
    const unsigned seen = slk_ChangeCount();
    EXPECT_EQ(slk_SetMainSta(7, 1), -1);  // a word not written moves nothing
    EXPECT_EQ(slk_ChangeCount(), seen);

    std::atomic<unsigned> woke{seen};
    std::thread waiter([&] { woke = slk_WaitChange(seen, 30000); });
    SleepForMs(20);
    slk_SetChildErr(3, 5);
    waiter.join();
    EXPECT_NE(woke.load(), seen);
    // The watch duty of the segment: this process takes it and keeps it.
    EXPECT_EQ(slk_TakeWatch(), 1);
    EXPECT_EQ(slk_TakeWatch(), 1);
}

TEST(Statlink, TheDutyHoldersWaitAnnouncesAWordWrittenWithoutTheLibraryOnce) {
    IsolatedEnv env;
    ASSERT_EQ(slk_TakeWatch(), 1);
    const unsigned seen = slk_WaitChange(slk_ChangeCount(), 0);  // the first look
    // Another tool maps the object and writes a main word itself.
    const int fd = shm_open(env.statlinkName().c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    void* p = mmap(nullptr, 48, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    ASSERT_NE(p, MAP_FAILED);
    static_cast<std::atomic<int32_t>*>(p)[3 * 1].store(1);
    EXPECT_EQ(slk_WaitChange(seen, 20), seen + 1);
    EXPECT_EQ(slk_GetMainSta(1), 1);
    // A setter's change was announced by the setter: the look adds nothing, nor does a look that
    // finds the words as they were.
    slk_SetMainSta(2, 1);
    const unsigned set = slk_ChangeCount();
    EXPECT_EQ(slk_WaitChange(set, 20), set);
    EXPECT_EQ(slk_WaitChange(set, 20), set);
    munmap(p, 48);
}

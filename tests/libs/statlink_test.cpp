#include "statlink.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cstdlib>

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
        EXPECT_EQ(slk_GetChildErr(ch), 0);
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

// The graph component's sample ring and its placement file, without any window.
#include <sys/stat.h>
#include <unistd.h>

#include "SampleRing.h"
#include "placement_ini.h"
#include "support/test_env.h"

using plotwin::ReadIniInt;
using plotwin::SampleRing;
using plotwin::WriteIniInts;

TEST(SampleRing, KeepsTheNewestSamplesWithStableNumbers) {
    SampleRing ring(4);
    double lo = 0, hi = 0;
    EXPECT_FALSE(ring.Bounds(&lo, &hi));
    for (int i = 0; i < 3; ++i) ring.Append(i * 1.5);
    EXPECT_EQ(ring.size(), 3);
    EXPECT_EQ(ring.firstNumber(), 0);
    EXPECT_DOUBLE_EQ(ring.At(2), 3.0);

    // Past its capacity the oldest go first; the kept ones keep their sample numbers.
    ring.Append(-7.0);
    ring.Append(9.0);
    ring.Append(2.0);
    EXPECT_EQ(ring.size(), 4);
    EXPECT_EQ(ring.total(), 6);
    EXPECT_EQ(ring.firstNumber(), 2);
    EXPECT_DOUBLE_EQ(ring.At(0), 3.0);
    EXPECT_DOUBLE_EQ(ring.At(3), 2.0);
    // The bounds span both stretches of the wrapped buffer.
    ASSERT_TRUE(ring.Bounds(&lo, &hi));
    EXPECT_DOUBLE_EQ(lo, -7.0);
    EXPECT_DOUBLE_EQ(hi, 9.0);

    ring.Clear();
    EXPECT_EQ(ring.size(), 0);
    EXPECT_EQ(ring.total(), 0);
    ring.Append(5.0);
    EXPECT_EQ(ring.firstNumber(), 0);
    EXPECT_DOUBLE_EQ(ring.At(0), 5.0);

    SampleRing tiny(0);  // never less than one sample
    tiny.Append(1.0);
    tiny.Append(2.0);
    EXPECT_EQ(tiny.size(), 1);
    EXPECT_DOUBLE_EQ(tiny.At(0), 2.0);
}

class PlacementIni : public ::testing::Test {
  protected:
    TempDir dir;
    std::string file() const { return dir.path() + "vantrelADg3.ini"; }
};

TEST_F(PlacementIni, WritesItsKeysAndKeepsEverythingElse) {
    // A new file.
    ASSERT_TRUE(WriteIniInts(file(), "Window", {{"Left", 10}, {"Top", -20}}));
    EXPECT_EQ(ReadFile(file()), "[Window]\nLeft=10\nTop=-20\n");

    // A seeded file with CR LF line ends, comments and other sections: values are replaced
    // where they stand, new keys join the end of the section, nothing else changes.
    WriteFile(file(),
              "; graph settings\r\n[Other]\r\nLeft=1\r\n[ window ]\r\n LEFT = 5\r\nColour=3\r\n"
              "\r\n[Last]\r\nA=1\r\n");
    ASSERT_TRUE(WriteIniInts(file(), "Window", {{"Left", 300}, {"Width", 640}}));
    EXPECT_EQ(ReadFile(file()),
              "; graph settings\r\n[Other]\r\nLeft=1\r\n[ window ]\r\nLeft=300\r\nColour=3\r\n"
              "Width=640\r\n\r\n[Last]\r\nA=1\r\n");
    int v = 0;
    EXPECT_TRUE(ReadIniInt(file(), "WINDOW", "left", &v));
    EXPECT_EQ(v, 300);
    EXPECT_TRUE(ReadIniInt(file(), "Other", "Left", &v));
    EXPECT_EQ(v, 1);
    EXPECT_FALSE(ReadIniInt(file(), "Window", "Height", &v));
    EXPECT_FALSE(ReadIniInt(file(), "Missing", "Left", &v));
    EXPECT_FALSE(ReadIniInt(dir.path() + "none.ini", "Window", "Left", &v));

    // No temporary file is left behind.
    EXPECT_EQ(system(("test $(ls -A " + dir.path() + " | wc -l) -eq 1").c_str()), 0);
}

TEST_F(PlacementIni, ReadsOnlyWholeNumbersFromTheFirstSection) {
    WriteFile(file(),
              "[Window]\nLeft=12abc\nTop=\nWidth=99999999999\nHeight=480\nHeight=1\n"
              "[Window]\nLeft=7\n");
    int v = -5;
    EXPECT_FALSE(ReadIniInt(file(), "Window", "Left", &v));
    EXPECT_FALSE(ReadIniInt(file(), "Window", "Top", &v));
    EXPECT_FALSE(ReadIniInt(file(), "Window", "Width", &v));
    EXPECT_EQ(v, -5);
    EXPECT_TRUE(ReadIniInt(file(), "Window", "Height", &v));
    EXPECT_EQ(v, 480);
}

TEST_F(PlacementIni, LeavesWhatItCannotReadAlone) {
    // A folder or a FIFO in the file's place: refused, and nothing blocks.
    ASSERT_EQ(mkdir(file().c_str(), 0700), 0);
    EXPECT_FALSE(WriteIniInts(file(), "Window", {{"Left", 1}}));
    rmdir(file().c_str());
    ASSERT_EQ(mkfifo(file().c_str(), 0600), 0);
    EXPECT_FALSE(WriteIniInts(file(), "Window", {{"Left", 1}}));
    int v = 0;
    EXPECT_FALSE(ReadIniInt(file(), "Window", "Left", &v));
    unlink(file().c_str());

    // A file that cannot be read is not replaced by our few keys.
    if (geteuid() != 0) {
        WriteFile(file(), "[Window]\nLeft=4\nPrecious=1\n");
        chmod(file().c_str(), 0200);
        EXPECT_FALSE(WriteIniInts(file(), "Window", {{"Left", 1}}));
        chmod(file().c_str(), 0600);
        EXPECT_EQ(ReadFile(file()), "[Window]\nLeft=4\nPrecious=1\n");
    }

    // A link stays a link; the file it points to takes the change.
    const std::string real = dir.path() + "real.ini";
    unlink(file().c_str());
    WriteFile(real, "[Window]\nLeft=4\n");
    ASSERT_EQ(symlink(real.c_str(), file().c_str()), 0);
    ASSERT_TRUE(WriteIniInts(file(), "Window", {{"Left", 8}}));
    struct stat st {};
    ASSERT_EQ(lstat(file().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(real), "[Window]\nLeft=8\n");

    // A folder that cannot be written: false, and the old file is untouched.
    if (geteuid() != 0) {
        const std::string locked = dir.path() + "locked/";
        mkdir(locked.c_str(), 0700);
        WriteFile(locked + "g.ini", "[Window]\nLeft=4\n");
        chmod(locked.c_str(), 0500);
        EXPECT_FALSE(WriteIniInts(locked + "g.ini", "Window", {{"Left", 9}}));
        EXPECT_EQ(ReadFile(locked + "g.ini"), "[Window]\nLeft=4\n");
        chmod(locked.c_str(), 0700);
    }
}

// A COM port that cannot be opened: the serial link keeps what the system said, and the text
// made of it names the COM entry, where its link points and the system's words, for the set-up
// faults a user meets (no entry, a link whose device is gone, a file that is no tty, a port in
// use, no permission).
#include "device/open_failure.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "device/SerialLink.h"
#include "device/box_sim_helper.h"
#include "support/test_port.h"

namespace {

std::string Sys(int err) {
    return std::strerror(err);
}

class ComOpenFailure : public IsolatedTest {
  protected:
    std::string Entry(int n) const { return env.comDir() + "COM" + std::to_string(n); }
};

TEST_F(ComOpenFailure, EntryMissingOrDeviceGoneIsNoSuchFile) {
    SerialLink link;
    EXPECT_EQ(link.Open(Port(4)), kNoSerialHandle);
    EXPECT_EQ(link.LastOpenError(), ENOENT);
    EXPECT_EQ(ComOpenFailureText("", 4, ENOENT), Entry(4) + ": " + Sys(ENOENT));

    // The adapter was unplugged: its link is left, pointing nowhere.
    const std::string gone = env.root() + "dev/ttyUSB7";
    ASSERT_EQ(symlink(gone.c_str(), Entry(5).c_str()), 0);
    EXPECT_EQ(link.Open(Port(5)), kNoSerialHandle);
    EXPECT_EQ(link.LastOpenError(), ENOENT);
    EXPECT_EQ(ComOpenFailureText("", 5, ENOENT), Entry(5) + " -> " + gone + ": " + Sys(ENOENT));
}

TEST_F(ComOpenFailure, FileThatIsNoTtyAndNumberOutOfRange) {
    const std::string file = env.root() + "notes.txt";
    WriteFile(file, "not a serial port\n");
    ASSERT_EQ(symlink(file.c_str(), Entry(6).c_str()), 0);
    SerialLink link;
    EXPECT_EQ(link.Open(Port(6)), kNoSerialHandle);
    EXPECT_EQ(link.LastOpenError(), ENOTTY);
    EXPECT_EQ(ComOpenFailureText("", 6, ENOTTY), Entry(6) + " -> " + file + ": " + Sys(ENOTTY));

    EXPECT_EQ(link.Open(Port(0)), kNoSerialHandle);
    EXPECT_EQ(link.LastOpenError(), EINVAL);
    EXPECT_EQ(ComOpenFailureText("", 256, EINVAL), "COM256: " + Sys(EINVAL));
}

TEST_F(ComOpenFailure, PortHeldByAnotherIsBusyAndASuccessClearsTheError) {
    BoxSim sim({"--box", "ad,com=2"});
    ASSERT_TRUE(sim.ready());
    SerialLink first;
    ASSERT_NE(first.Open(Port(2)), kNoSerialHandle);
    EXPECT_EQ(first.LastOpenError(), 0);

    SerialLink second;
    EXPECT_EQ(second.Open(Port(2)), kNoSerialHandle);
    EXPECT_EQ(second.LastOpenError(), EBUSY);
    const std::string text = ComOpenFailureText("", 2, EBUSY);
    EXPECT_EQ(text.rfind(Entry(2) + " -> /dev/pts/", 0), 0u) << text;
    EXPECT_NE(text.find(": " + Sys(EBUSY)), std::string::npos) << text;

    first.Close();
    EXPECT_NE(second.Open(Port(2)), kNoSerialHandle);
    EXPECT_EQ(second.LastOpenError(), 0);
}

TEST_F(ComOpenFailure, NoPermissionNamesModeOwnerAndGroup) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root opens a device whatever its mode; the permission case needs a "
                        "user without rights";
    }
    BoxSim sim({"--box", "ad,com=3"});
    ASSERT_TRUE(sim.ready());
    char target[4096] = {};
    ASSERT_GT(readlink(Entry(3).c_str(), target, sizeof target - 1), 0);
    ASSERT_EQ(chmod(target, 0), 0);
    SerialLink link;
    EXPECT_EQ(link.Open(Port(3)), kNoSerialHandle);
    EXPECT_EQ(link.LastOpenError(), EACCES);
    const std::string text = ComOpenFailureText("", 3, EACCES);
    EXPECT_EQ(text.rfind(Entry(3) + " -> " + target + ": " + Sys(EACCES) + " (c--------- ", 0), 0u)
        << text;
}

}  // namespace

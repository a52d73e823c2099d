// The COM port folder: listing, resolution and the automatic links, on fake device trees.
#include "platform/com_ports.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/test_env.h"

namespace {

void Link(const std::string& target, const std::string& path) {
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0) << path;
}

std::vector<int> Numbers(const std::vector<ComPortEntry>& entries) {
    std::vector<int> n;
    for (const auto& e : entries) n.push_back(e.number);
    return n;
}

// A fake /dev with /dev/serial/by-id and /sys/class/tty inside a temporary folder.
struct FakeSystem {
    TempDir dir;
    SerialDeviceRoots roots;
    FakeSystem() {
        roots.devDir = dir.path() + "dev/";
        roots.byIdDir = dir.path() + "dev/serial/by-id/";
        roots.sysTtyDir = dir.path() + "sys/";
        mkdir(roots.devDir.c_str(), 0755);
        mkdir((roots.devDir + "serial").c_str(), 0755);
        mkdir(roots.byIdDir.c_str(), 0755);
        mkdir(roots.sysTtyDir.c_str(), 0755);
    }
    std::string Device(const std::string& name) {
        WriteFile(roots.devDir + name, "");
        return roots.devDir + name;
    }
    void Uart(const std::string& name, int type) {
        mkdir((roots.sysTtyDir + name).c_str(), 0755);
        WriteFile(roots.sysTtyDir + name + "/type", std::to_string(type) + "\n");
    }
};

}  // namespace

class ComPortFolderTest : public IsolatedTest {};

TEST_F(ComPortFolderTest, ListsPresentEntriesAscendingAndResolvesNumbers) {
    const std::string folder = env.comDir();
    TempDir devs;
    WriteFile(devs.path() + "a", "");
    WriteFile(devs.path() + "b", "");
    WriteFile(devs.path() + "c", "");
    Link(devs.path() + "a", folder + "COM10");
    Link(devs.path() + "b", folder + "COM1");
    Link(devs.path() + "c", folder + "COM3");
    Link(devs.path() + "gone", folder + "COM2");  // dangling: not present
    Link(devs.path() + "a", folder + "COM0");     // outside 1..255: not a COM port
    Link(devs.path() + "a", folder + "COM256");
    Link(devs.path() + "a", folder + "COM007");  // not the name of any number
    WriteFile(folder + "README", "");

    const auto entries = ListComPorts(env.settingsFolder());
    EXPECT_EQ(Numbers(entries), (std::vector<int>{1, 3, 10}));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].target, devs.path() + "b");
    EXPECT_EQ(entries[0].linkText, devs.path() + "b");

    // $VANTREL_COM_DIR names the folder, with or without its final slash.
    EXPECT_EQ(ComPortFolder(env.settingsFolder()), folder);
    setenv("VANTREL_COM_DIR", folder.substr(0, folder.size() - 1).c_str(), 1);
    EXPECT_EQ(ComPortFolder(env.settingsFolder()), folder);
    EXPECT_EQ(ComPortDevice(env.settingsFolder(), 10), folder + "COM10");
    EXPECT_EQ(ComPortDevice(env.settingsFolder(), 255), folder + "COM255");  // missing entry
    EXPECT_EQ(ComPortDevice(env.settingsFolder(), 0), "");
    EXPECT_EQ(ComPortDevice(env.settingsFolder(), 256), "");

    // Without the variable the folder is "ports/" in the settings folder.
    unsetenv("VANTREL_COM_DIR");
    EXPECT_FALSE(ComPortFolderIsOverridden());
    EXPECT_EQ(ComPortFolder("/x/Harbelt/Vantrel/"), "/x/Harbelt/Vantrel/ports/");
    EXPECT_EQ(ComPortDevice("/x/Harbelt/Vantrel/", 5), "/x/Harbelt/Vantrel/ports/COM5");
}

// A link whose text is an rfc2217:// URL names a network port: listed with its URL whether or
// not the server is up, and its number is never given to a new device.
TEST_F(ComPortFolderTest, NetworkEntriesAreListedWithTheirUrlAndKeepTheirNumbers) {
    const std::string folder = env.comDir();
    Link("rfc2217://bench-pi:4001", folder + "COM1");
    Link("rfc2217://nowhere", folder + "COM2");  // malformed: still a network entry
    Link("rfc2217:/x", folder + "COM3");         // no URL: a dangling link, not listed
    const auto entries = ListComPortsIn(folder);
    ASSERT_EQ(Numbers(entries), (std::vector<int>{1, 2}));
    EXPECT_EQ(entries[0].target, "rfc2217://bench-pi:4001");
    EXPECT_EQ(entries[0].linkText, "rfc2217://bench-pi:4001");

    FakeSystem sys;
    const std::string device = sys.Device("ttyUSB0");
    EXPECT_EQ(AddComPortLinks(folder, sys.roots), 1);
    EXPECT_EQ(LinkText(folder + "COM4"), device);
}

TEST(NetworkPortText, ReadsHostAndPortAndRefusesAnythingElse) {
    NetworkPortAddress a;
    ASSERT_TRUE(ParseNetworkPort("rfc2217://bench-pi:4001", &a));
    EXPECT_EQ(a.host, "bench-pi");
    EXPECT_EQ(a.port, 4001);
    ASSERT_TRUE(ParseNetworkPort("rfc2217://10.0.0.7:65535/", &a));
    EXPECT_EQ(a.host, "10.0.0.7");
    EXPECT_EQ(a.port, 65535);
    ASSERT_TRUE(ParseNetworkPort("rfc2217://[fd00::5]:1", &a));
    EXPECT_EQ(a.host, "fd00::5");
    EXPECT_EQ(a.port, 1);
    for (const char* bad :
         {"rfc2217://bench-pi", "rfc2217://bench-pi:", "rfc2217://:4001", "rfc2217://h:0",
          "rfc2217://h:65536", "rfc2217://h:40x1", "rfc2217://fd00::5:4001", "rfc2217://[fd00::5]",
          "rfc2217://[fd00::5:4001", "rfc2217://user@h:4001", "rfc2217://h:4001/path",
          "telnet://h:4001", "/dev/ttyUSB0", ""}) {
        EXPECT_FALSE(ParseNetworkPort(bad, &a)) << bad;
    }
    EXPECT_TRUE(IsNetworkPortText("rfc2217://anything"));
    EXPECT_FALSE(IsNetworkPortText("/dev/rfc2217://"));
}

TEST(ComPortLinks, FindsDevicesInOrderAndOnlyRealUarts) {
    FakeSystem sys;
    sys.Device("ttyUSB10");
    sys.Device("ttyUSB2");
    sys.Device("ttyACM0");
    sys.Device("ttyS0");
    sys.Device("ttyS1");
    sys.Device("ttyS2");
    sys.Device("ttySAC");  // not a numbered ttyS
    sys.Device("tty5");
    sys.Uart("ttyS0", 4);  // 16550A
    sys.Uart("ttyS1", 0);  // PORT_UNKNOWN: no UART behind it
    // ttyS2 has no sysfs entry at all
    Link("../../ttyUSB2", sys.roots.byIdDir + "usb-FTDI_B");
    Link("../../ttyACM0", sys.roots.byIdDir + "usb-Arduino_A");

    const auto found = FindSerialDevices(sys.roots);
    EXPECT_EQ(found, (std::vector<std::string>{
                         sys.roots.byIdDir + "usb-Arduino_A", sys.roots.byIdDir + "usb-FTDI_B",
                         sys.roots.devDir + "ttyUSB2", sys.roots.devDir + "ttyUSB10",
                         sys.roots.devDir + "ttyACM0", sys.roots.devDir + "ttyS0"}));
}

TEST(ComPortLinks, NumbersNewDevicesWithoutTakingUsedNumbers) {
    FakeSystem sys;
    TempDir com;
    const std::string usb0 = sys.Device("ttyUSB0");
    sys.Device("ttyUSB1");
    sys.Device("ttyACM0");
    sys.Device("ttyS0");
    sys.Uart("ttyS0", 4);
    Link("../../ttyUSB1", sys.roots.byIdDir + "usb-FTDI_X");

    // The user's own links: COM1 names ttyUSB0 by its plain path, COM2 dangles, COM4 is free
    // text pointing at an unrelated file.
    Link(usb0, com.path() + "COM1");
    Link(sys.roots.devDir + "unplugged", com.path() + "COM2");
    WriteFile(sys.roots.devDir + "other", "");
    Link(sys.roots.devDir + "other", com.path() + "COM4");

    EXPECT_EQ(AddComPortLinks(com.path(), sys.roots), 3);
    // by-id first (ttyUSB1 through its stable name), then ttyACM0, then ttyS0; ttyUSB0 already
    // has COM1, and the numbers 2 and 4 stay with their links.
    char buf[4096];
    auto linkOf = [&](int n) {
        const ssize_t len =
            readlink((com.path() + "COM" + std::to_string(n)).c_str(), buf, sizeof buf - 1);
        return len > 0 ? std::string(buf, static_cast<size_t>(len)) : std::string();
    };
    EXPECT_EQ(linkOf(3), sys.roots.byIdDir + "usb-FTDI_X");
    EXPECT_EQ(linkOf(5), sys.roots.devDir + "ttyACM0");
    EXPECT_EQ(linkOf(6), sys.roots.devDir + "ttyS0");
    EXPECT_EQ(linkOf(2), sys.roots.devDir + "unplugged");

    // A second scan finds every device present already (ttyUSB1 through the by-id link).
    EXPECT_EQ(AddComPortLinks(com.path(), sys.roots), 0);
    EXPECT_EQ(Numbers(ListComPortsIn(com.path())), (std::vector<int>{1, 3, 4, 5, 6}));
    const auto entries = ListComPortsIn(com.path());
    EXPECT_EQ(entries[1].target, sys.roots.devDir + "ttyUSB1");  // resolved through by-id

    // A new adapter takes the lowest number still free: 7 (2 still belongs to its link).
    sys.Device("ttyUSB7");
    EXPECT_EQ(AddComPortLinks(com.path(), sys.roots), 1);
    EXPECT_EQ(linkOf(7), sys.roots.devDir + "ttyUSB7");

    // A folder that does not exist yet is made when there is a link to put in it.
    TempDir base;
    const std::string fresh = base.path() + "Harbelt/Vantrel/ports/";
    EXPECT_EQ(AddComPortLinks(fresh, sys.roots), 5);
    EXPECT_EQ(Numbers(ListComPortsIn(fresh)), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(ComPortFolderTest, OverriddenFolderGetsNoAutomaticLinks) {
    // The real system may have serial devices; a $VANTREL_COM_DIR folder must stay as it is.
    EXPECT_TRUE(ListComPorts(env.settingsFolder()).empty());
    EXPECT_FALSE(PathExists(env.comDir() + "COM1"));
}

// The serial link on real pseudo-terminals: the test holds the master side as the "box".
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "device/SerialLink.h"
#include "platform/com_ports.h"
#include "platform/serial_port.h"
#include "support/fake_serial_devices.h"
#include "support/test_env.h"
#include "support/test_port.h"

namespace {

// A pty whose slave is the entry COMn of the test's COM port folder.
class Pty {
  public:
    Pty(const std::string& comDir, int number) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        link_ = comDir + "COM" + std::to_string(number);
        symlink(ptsname(master_), link_.c_str());
    }
    ~Pty() { CloseMaster(); }
    void CloseMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }
    bool Send(const std::string& bytes) {
        return write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Everything that arrived from the link within timeoutMs, once `want` bytes are there.
    std::string Receive(size_t want, int timeoutMs = 30000) {
        std::string got;
        WaitFor(
            [&] {
                char buf[256];
                ssize_t n;
                while ((n = read(master_, buf, sizeof buf)) > 0) got.append(buf, n);
                return got.size() >= want;
            },
            timeoutMs);
        return got;
    }
    int master() const { return master_; }

  private:
    int master_ = -1;
    std::string link_;
};

// Waits until the link's driver holds n bytes: master writes reach the slave a moment later.
bool WaitWaiting(const SerialLink& link, int n) {
    return WaitFor([&] { return SpBytesWaiting(link.handle()) >= n; });
}

}  // namespace

class SerialLinkTest : public IsolatedTest {};

TEST_F(SerialLinkTest, OpenRefusesBadNumbersAndMissingDevices) {
    SerialLink link;
    EXPECT_EQ(link.Open(Port(0)), kNoSerialHandle);
    EXPECT_EQ(link.Open(Port(256)), kNoSerialHandle);
    EXPECT_EQ(link.Open(Port(-1)), kNoSerialHandle);
    EXPECT_EQ(link.Open(Port(4)), kNoSerialHandle);  // no entry COM4
    symlink((env.root() + "no-such-device").c_str(), (env.comDir() + "COM5").c_str());
    EXPECT_EQ(link.Open(Port(5)), kNoSerialHandle);  // dangling link
    WriteFile(env.root() + "plain", "");
    symlink((env.root() + "plain").c_str(), (env.comDir() + "COM6").c_str());
    EXPECT_EQ(link.Open(Port(6)), kNoSerialHandle);  // not a tty
    EXPECT_FALSE(link.IsOpen());

    // Everything on a closed link is harmless.
    char b[2] = {'x', 'x'};
    EXPECT_EQ(link.Write("I\n", 2, 0), 99);
    EXPECT_EQ(link.ReadByte(b), 1);
    link.PurgeInput();
    link.Close();
    char line[SerialLink::kLineBufferSize];
    int len = -1;
    const int64_t t0 = NowMs();
    EXPECT_EQ(link.ReadLine(line, &len), 99);
    EXPECT_GE(NowMs() - t0, 450);  // a closed link waits out the limit too
    EXPECT_EQ(len, 0);
    EXPECT_EQ(line[0], '\0');
}

TEST_F(SerialLinkTest, OpeningInTheDefaultFolderLinksAnAdapterPluggedInMeanwhile) {
    // An adapter that appeared after the launcher started: a by-id name for a pty, and no entry
    // in the default COM port folder (which does not even exist yet).
    Pty pty(env.comDir(), 9);
    FakeSerialDevices devices;
    const std::string byId =
        devices.AddById("usb-FTDI_FT232R_USB_UART_T1-if00-port0", LinkText(env.comDir() + "COM9"));
    ASSERT_FALSE(byId.empty());
    unsetenv("VANTREL_COM_DIR");
    const std::string before = SerialLink::SettingsFolder();
    SerialLink::SetSettingsFolder(env.settingsFolder());

    SerialLink link;
    EXPECT_NE(link.Open(Port(1)), kNoSerialHandle);
    EXPECT_EQ(LinkText(env.settingsFolder() + "ports/COM1"), byId);
    link.Close();
    SerialLink::SetSettingsFolder(before);
}

TEST_F(SerialLinkTest, OpenIsExclusiveAgainstOtherLinksAndProcesses) {
    Pty pty(env.comDir(), 3);
    SerialLink first;
    ASSERT_NE(first.Open(Port(3)), kNoSerialHandle);
    SerialLink second;
    EXPECT_EQ(second.Open(Port(3)), kNoSerialHandle);
    first.Close();
    ASSERT_NE(second.Open(Port(3)), kNoSerialHandle);  // free again after the close
    second.Close();

    // Another process holds the port.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SerialLink holder;
        const char ok = holder.Open(Port(3)) != kNoSerialHandle ? '1' : '0';
        if (write(ready[1], &ok, 1) != 1) _exit(1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, '1');
    SerialLink blocked;
    EXPECT_EQ(blocked.Open(Port(3)), kNoSerialHandle);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_NE(blocked.Open(Port(3)), kNoSerialHandle);
}

TEST(SerialPortState, SettingsMapToTermios) {
    termios tio{};
    SerialPortSettings s;
    s.baudRate = 19200;
    s.byteSize = 7;
    s.parity = 1;
    s.stopBits = 2;
    tio.c_cflag = CRTSCTS;
    tio.c_iflag = IXON | IXOFF;
    tio.c_lflag = ICANON | ECHO;
    SpApplySettings(&tio, s);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(tio.c_cc[VMIN], 0);

    // Even parity for any other code, one stop bit for 1, only the low byte of the size; a speed
    // or size the line cannot take leaves the one it had.
    s.baudRate = 12345;
    s.byteSize = 0x105;
    s.parity = 7;
    s.stopBits = 1;
    SpApplySettings(&tio, s);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
    EXPECT_FALSE(tio.c_cflag & CSTOPB);
    s.byteSize = 9;
    s.parity = 0;
    SpApplySettings(&tio, s);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));  // cfmakeraw's size stays
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_EQ(SpSpeedConstant(115200), static_cast<unsigned>(B115200));
    EXPECT_EQ(SpSpeedConstant(0), 0u);
}

TEST_F(SerialLinkTest, OpenConfiguresThePort) {
    Pty pty(env.comDir(), 1);
    SerialLink link;
    SerialPortSettings s = Port(1, 19200);
    s.stopBits = 2;
    ASSERT_NE(link.Open(s), kNoSerialHandle);
    termios tio{};
    ASSERT_EQ(tcgetattr(link.handle(), &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(SpLineSpeed(pty.master()), 19200);  // what a box on the line sees
    link.SetModemLines(true);                     // refused by a pty; must do no harm

    // The port is the link's while it is open, even for the link itself.
    EXPECT_EQ(link.Open(s), kNoSerialHandle);
    EXPECT_TRUE(link.IsOpen());

    // Opening another port without closing first frees the first one instead of leaking it.
    Pty second(env.comDir(), 2);
    ASSERT_NE(link.Open(Port(2, 38400)), kNoSerialHandle);
    EXPECT_EQ(SpLineSpeed(second.master()), 38400);
    SerialLink other;
    EXPECT_NE(other.Open(Port(1)), kNoSerialHandle);
}

TEST_F(SerialLinkTest, ReadLineCases) {
    Pty pty(env.comDir(), 2);
    SerialLink link;
    ASSERT_NE(link.Open(Port(2)), kNoSerialHandle);
    char line[SerialLink::kLineBufferSize];
    int len = -1;

    // The question mark and the carriage return make a line of two bytes.
    ASSERT_TRUE(pty.Send("?\r\n"));
    ASSERT_TRUE(WaitWaiting(link, 3));
    EXPECT_EQ(link.ReadLine(line, &len), 0);
    EXPECT_EQ(len, 2);
    EXPECT_STREQ(line, "?\r");

    // A lone "\n" is no line.
    ASSERT_TRUE(pty.Send("\n"));
    ASSERT_TRUE(WaitWaiting(link, 1));
    EXPECT_EQ(link.ReadLine(line, &len), 99);
    EXPECT_EQ(len, 0);

    // 2000 bytes without "\n" in one burst: the first 1023 make a line, the rest stays.
    std::string burst;
    for (int i = 0; i < 2000; ++i) burst += static_cast<char>('A' + i % 26);
    ASSERT_TRUE(pty.Send(burst));
    ASSERT_TRUE(WaitWaiting(link, 2000));
    EXPECT_EQ(link.ReadLine(line, &len), 0);
    EXPECT_EQ(len, 1023);
    EXPECT_EQ(std::string(line), burst.substr(0, 1023));
    char b[2];
    EXPECT_EQ(link.ReadByte(b), 0);
    EXPECT_EQ(b[0], burst[1023]);
    EXPECT_EQ(b[1], '\0');
    // Purging drops what the driver holds and what the link has already taken from it.
    link.PurgeInput();
    EXPECT_EQ(SpBytesWaiting(link.handle()), 0);
    EXPECT_EQ(link.ReadByte(b), 1);

    // Nothing at all: 99 after the limit.
    const int64_t t0 = NowMs();
    EXPECT_EQ(link.ReadLine(line, &len), 99);
    EXPECT_GE(NowMs() - t0, 450);

    // A line that arrives in pieces within the limit is still one line.
    ASSERT_TRUE(pty.Send("U3A"));
    ASSERT_TRUE(WaitWaiting(link, 3));
    ASSERT_TRUE(pty.Send("5F\nnext"));
    EXPECT_EQ(link.ReadLine(line, &len), 0);
    EXPECT_STREQ(line, "U3A5F");
    // An unfinished line is no line.
    EXPECT_EQ(link.ReadLine(line, &len), 99);
}

TEST_F(SerialLinkTest, WriteDiscardsStaleInputUnlessAskedToKeepIt) {
    Pty pty(env.comDir(), 7);
    SerialLink link;
    ASSERT_NE(link.Open(Port(7)), kNoSerialHandle);

    ASSERT_TRUE(pty.Send("abc"));
    ASSERT_TRUE(WaitWaiting(link, 3));
    EXPECT_EQ(link.Write("U0\n", 3, 0), 0);
    EXPECT_EQ(SpBytesWaiting(link.handle()), 0);
    EXPECT_EQ(pty.Receive(3), "U0\n");

    ASSERT_TRUE(pty.Send("xy"));
    ASSERT_TRUE(WaitWaiting(link, 2));
    EXPECT_EQ(link.Write("I\n", 2, 1), 0);
    EXPECT_EQ(SpBytesWaiting(link.handle()), 2);
    EXPECT_EQ(pty.Receive(2), "I\n");
    EXPECT_EQ(link.Write("", 0, 1), 0);
    EXPECT_EQ(link.Write("I\n", -2, 1), 1);
}

TEST_F(SerialLinkTest, DeviceThatGoesAwayNeitherHangsNorCrashes) {
    Pty pty(env.comDir(), 8);
    SerialLink link;
    ASSERT_NE(link.Open(Port(8)), kNoSerialHandle);
    ASSERT_TRUE(pty.Send("?"));
    ASSERT_TRUE(WaitWaiting(link, 1));
    pty.CloseMaster();  // the adapter is pulled

    const int64_t t0 = NowMs();
    char line[SerialLink::kLineBufferSize];
    int len = -1;
    EXPECT_EQ(link.ReadLine(line, &len), 99);
    EXPECT_EQ(link.Write("I\n", 2, 0), 1);
    EXPECT_EQ(link.Write("I\n", 2, 1), 1);
    char b[2];
    EXPECT_EQ(link.ReadByte(b), 1);
    link.PurgeInput();
    // Well below any write time-out: nothing waited for a device that is gone.
    EXPECT_LT(NowMs() - t0, 5000);
    link.Close();
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(SerialLinkTest, BytesTakenAheadNeverOutliveAPurgeOrAReopen) {
    Pty pty(env.comDir(), 8);
    SerialLink link;
    ASSERT_NE(link.Open(Port(8)), kNoSerialHandle);
    char b[2];

    // One byte handed out; the link may hold the rest of the burst.
    ASSERT_TRUE(pty.Send("stale"));
    ASSERT_TRUE(WaitWaiting(link, 5));
    ASSERT_EQ(link.ReadByte(b), 0);
    EXPECT_EQ(b[0], 's');
    // A write that does not keep input drops them too.
    EXPECT_EQ(link.Write("I\n", 2, 0), 0);
    EXPECT_EQ(link.ReadByte(b), 1);

    // Every byte comes out once and in order, however the link takes them.
    ASSERT_TRUE(pty.Send("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!?-+"));
    ASSERT_TRUE(WaitWaiting(link, 66));
    std::string got;
    while (link.ReadByte(b) == 0) got += b[0];
    EXPECT_EQ(got, "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!?-+");

    // Nothing read before a close comes back after the port is opened again.
    ASSERT_TRUE(pty.Send("old"));
    ASSERT_TRUE(WaitWaiting(link, 3));
    ASSERT_EQ(link.ReadByte(b), 0);
    link.Close();
    EXPECT_EQ(link.ReadByte(b), 1);
    ASSERT_NE(link.Open(Port(8)), kNoSerialHandle);
    EXPECT_EQ(link.ReadByte(b), 1);
}

// ReadableFd is what a worker may sleep on in poll(): readable once a byte waits, quiet before.
TEST_F(SerialLinkTest, ReadableFdIsTheTtyAndBecomesReadableWithInput) {
    Pty pty(env.comDir(), 9);
    SerialLink link;
    EXPECT_EQ(link.ReadableFd(), -1);
    ASSERT_NE(link.Open(Port(9)), kNoSerialHandle);
    EXPECT_EQ(link.ReadableFd(), link.handle());
    EXPECT_FALSE(link.IsNetworkPort());
    pollfd quiet{link.ReadableFd(), POLLIN, 0};
    EXPECT_EQ(poll(&quiet, 1, 50), 0);
    ASSERT_TRUE(pty.Send("?\n"));
    pollfd input{link.ReadableFd(), POLLIN, 0};
    EXPECT_EQ(poll(&input, 1, 30000), 1);
    char line[SerialLink::kLineBufferSize];
    int length = 0;
    EXPECT_EQ(link.ReadLine(line, &length), 0);
    link.Close();
    EXPECT_EQ(link.ReadableFd(), -1);
}

// Network serial ports through the real ser2net on loopback, serving qvx-boxsim boxes on ptys:
// identification at each speed, the link's calls, a server that goes away, and opens that fail.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "device/SerialLink.h"
#include "device/identify_box.h"
#include "device/open_failure.h"
#include "device/served_box.h"

namespace {

SerialPortSettings Port(int com, int speed) {
    SerialPortSettings port;
    port.portNumber = com;
    port.baudRate = speed;
    return port;
}

std::string Sys(int err) {
    return std::strerror(err);
}

// A socket that listens on 127.0.0.1 and never accepts: the kernel completes the connection
// (the backlog), and nothing ever answers on it.
struct SilentListener {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    SilentListener() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(fd, 4) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    ~SilentListener() { close(fd); }
};

}  // namespace

class NetworkPortTest : public IsolatedTest {
  protected:
    void SetUp() override { SKIP_WITHOUT_SER2NET(); }

    void Entry(int com, const std::string& text) {
        ASSERT_EQ(symlink(text.c_str(), (env.comDir() + "COM" + std::to_string(com)).c_str()), 0);
    }

    // Opens COM<com> and expects it to fail with err within the bounds, the open-failure text
    // naming the URL, the system's reason and the hint.
    void ExpectOpenFails(int com, int err, const std::string& hint) {
        SerialLink link;
        const int64_t t0 = NowMs();
        EXPECT_EQ(link.Open(Port(com, 9600)), kNoSerialHandle);
        const int64_t spent = NowMs() - t0;
        EXPECT_LT(spent, NetworkPort::kConnectTimeoutMs + NetworkPort::kAnswerTimeoutMs + 3000);
        EXPECT_EQ(link.LastOpenError(), err) << Sys(link.LastOpenError());
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(link.ReadableFd(), -1);
        const std::string text = ComOpenFailureText("", com, link.LastOpenError());
        EXPECT_NE(text.find(" -> rfc2217://"), std::string::npos) << text;
        EXPECT_NE(text.find(Sys(err) + " (" + hint), std::string::npos) << text;
    }
};

// At each speed the box is found through ser2net, and it hears exactly what it hears over its
// local entry: the speed of each probe reaches the pty before the probe's bytes do.
TEST_F(NetworkPortTest, IdentifiesTheBoxAtEachSpeedWithTheSameBytesAsLocally) {
    struct Case {
        const char* box;
        int speed;
        const char* name;
    };
    const Case cases[] = {{"io,speed=9600", 9600, "QVX-I/O"},
                          {"ad,speed=19200", 19200, "QVX-A/D"},
                          {"da,speed=38400", 38400, "QVX-D/A"},
                          {"io,speed=115200", 115200, "QVX-I/O"}};
    int com = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        const int local = com++, network = com++;
        ServedBox box(env, c.box, local, network);
        ASSERT_TRUE(box.ready()) << box.sim().Log() << box.server().output();
        SerialLink link;
        SerialPortSettings port;
        std::string name;
        // Identification ends once it has sent its last request; the box's answer to it is
        // logged a moment later. Each run is taken once that answer is in the log, so no answer
        // of one run can fall into the next run's part of the log.
        const auto answered = [&](size_t from) {
            return WaitFor([&] {
                const std::vector<std::string> lines = box.Traffic(from);
                return !lines.empty() && lines.back().rfind("tx ", 0) == 0;
            });
        };
        ASSERT_EQ(IdentifyBox(link, port, local, 0, name), kIdentifyFound);
        link.Close();
        ASSERT_TRUE(answered(0)) << box.sim().Log();
        const size_t mark = box.sim().Log().size();
        const std::vector<std::string> overPty = box.Traffic();

        EXPECT_EQ(IdentifyBox(link, port, network, 0, name), kIdentifyFound);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(port.baudRate, c.speed);
        EXPECT_TRUE(link.IsOpen());
        EXPECT_TRUE(link.IsNetworkPort());
        EXPECT_EQ(link.ReadableFd(), link.handle());
        EXPECT_EQ(link.LastOpenError(), 0);
        ASSERT_TRUE(answered(mark)) << box.sim().Log();
        const std::vector<std::string> overNetwork = box.Traffic(mark);
        EXPECT_EQ(overNetwork, overPty);
    }
}

// Purging drops what the box sent meanwhile; writes and reads go on; a server that ends leaves
// the link as an unplugged device leaves it, without a descriptor to wait on.
TEST_F(NetworkPortTest, PurgeThenAServerThatGoesAwayActsAsAnUnpluggedDevice) {
    ServedBox box(env, "io,speed=19200,in=00", 1, 2);
    ASSERT_TRUE(box.ready()) << box.sim().Log() << box.server().output();
    SerialLink link;
    ASSERT_NE(link.Open(Port(2, 19200)), kNoSerialHandle) << Sys(link.LastOpenError());
    char line[SerialLink::kLineBufferSize];
    int length = 0;

    // The box reports its inputs on its own once the mask is set; the report waits unread.
    ASSERT_EQ(link.Write("W01\n", 4, 0), 0);
    ASSERT_TRUE(box.sim().WaitForLog("rx \"W01\""));
    ASSERT_TRUE(box.sim().Control("io-in 01"));
    ASSERT_TRUE(box.sim().WaitForLog("tx \"W01\""));
    SleepForMs(200);
    link.PurgeInput();
    char byte[2];
    EXPECT_EQ(link.ReadByte(byte), 1);

    // The socket is what a worker would sleep on: readable once the reply is there (it may be
    // readable with a telnet command alone too: the caller reads and finds nothing).
    ASSERT_EQ(link.Write("I\n", 2, 0), 0);
    pollfd reply{link.ReadableFd(), POLLIN, 0};
    EXPECT_EQ(poll(&reply, 1, 30000), 1);
    ASSERT_EQ(link.ReadLine(line, &length), 0);
    EXPECT_STREQ(line, "I01");

    box.server().Stop();
    EXPECT_EQ(link.ReadLine(line, &length), 99);
    // The end of the connection is seen by the read or, at the latest, by a write.
    int writes = 0;
    while (link.Write("I\n", 2, 0) == 0 && writes < 10) {
        ++writes;
        SleepForMs(50);
    }
    EXPECT_LT(writes, 10);
    EXPECT_EQ(link.Write("I\n", 2, 1), 1);
    EXPECT_EQ(link.ReadByte(byte), 1);
    EXPECT_EQ(link.ReadLine(line, &length), 99);
    EXPECT_TRUE(link.IsOpen());  // as an unplugged tty: open until closed
    EXPECT_EQ(link.ReadableFd(), -1);
    link.Close();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Write("I\n", 2, 0), 99);
}

TEST_F(NetworkPortTest, OpensThatFailSayWhyWithinTheBound) {
    const int unused = testkit::FreeLocalPort();
    Entry(1, "rfc2217://127.0.0.1:" + std::to_string(unused));
    ExpectOpenFails(1, ECONNREFUSED, "nothing listens");

    // Accepted, never negotiated: the server is no RFC 2217 server.
    SilentListener silent;
    ASSERT_GT(silent.port, 0);
    Entry(2, "rfc2217://127.0.0.1:" + std::to_string(silent.port));
    ExpectOpenFails(2, EPROTO, "the server does not speak RFC 2217");

    Entry(3, "rfc2217://127.0.0.1");  // no port
    ExpectOpenFails(3, EINVAL, "the link should read");
    Entry(4, "rfc2217://[::1:4001");
    ExpectOpenFails(4, EINVAL, "the link should read");

    // ser2net serves one client at a time and tells a second one so.
    ServedBox box(env, "da,speed=9600", 5, 6);
    ASSERT_TRUE(box.ready());
    SerialLink first;
    ASSERT_NE(first.Open(Port(6, 9600)), kNoSerialHandle) << Sys(first.LastOpenError());
    ExpectOpenFails(6, EBUSY, "the server's port is in use");
}

TEST_F(NetworkPortTest, AHostNameThatDoesNotResolveFailsWithinTheBound) {
    Entry(1, "rfc2217://no-such-host.invalid:4001");
    SerialLink link;
    const int64_t t0 = NowMs();
    EXPECT_EQ(link.Open(Port(1, 9600)), kNoSerialHandle);
    EXPECT_LT(NowMs() - t0, NetworkPort::kConnectTimeoutMs + 3000);
    // Without a name server the lookup may also just not finish in time.
    const int err = link.LastOpenError();
    EXPECT_TRUE(err == ENXIO || err == ETIMEDOUT) << Sys(err);
    if (err == ENXIO) {
        EXPECT_NE(ComOpenFailureText("", 1, err).find("(the host name does not resolve)"),
                  std::string::npos);
    }
}

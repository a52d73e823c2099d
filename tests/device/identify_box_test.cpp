// Identification of the boxes played by qvx-boxsim on real pseudo-terminals.
#include "device/identify_box.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "device/box_sim_helper.h"
#include "panels/pty_box.h"
#include "platform/serial_port.h"

class IdentifyBoxTest : public IsolatedTest {};

TEST_F(IdentifyBoxTest, EachKindOfBoxAtItsSpeed) {
    BoxSim sim({"--box", "io,speed=9600,com=1", "--box", "ad,speed=38400,com=2", "--box",
                "da,speed=115200,com=3"});
    ASSERT_TRUE(sim.ready());

    SerialLink link;
    SerialPortSettings port;
    std::string name = "stale";
    EXPECT_EQ(IdentifyBox(link, port, 1, 0, name), kIdentifyFound);
    EXPECT_EQ(name, "QVX-I/O");
    EXPECT_EQ(port.baudRate, 9600);
    EXPECT_EQ(port.portNumber, 1);
    EXPECT_EQ(port.byteSize, 8);
    EXPECT_EQ(port.parity, 0);
    EXPECT_EQ(port.stopBits, 1);
    EXPECT_EQ(port.lineControl, 1);  // txOnly 0
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(SpLineSpeed(link.handle()), 9600);
    // An I/O box is known from "I"; "U0" is never sent to it.
    EXPECT_TRUE(sim.WaitForLog("[#0 COM1 io] rx \"I\""));
    EXPECT_EQ(sim.CountInLog("[#0 COM1 io] rx \"U0\""), 0);

    // 38400: 9600 and 19200 each cost one open and one 500 ms wait for nothing.
    const int64_t t0 = NowMs();
    EXPECT_EQ(IdentifyBox(link, port, 2, 1, name), kIdentifyFound);
    EXPECT_GE(NowMs() - t0, 950);
    EXPECT_EQ(name, "QVX-A/D");
    EXPECT_EQ(port.baudRate, 38400);
    EXPECT_EQ(port.lineControl, 0);  // txOnly positive
    EXPECT_EQ(sim.CountInLog("[#1 COM2 ad] ** 1 byte(s) at 9600 bit/s ignored"), 1);
    EXPECT_EQ(sim.CountInLog("[#1 COM2 ad] ** 1 byte(s) at 19200 bit/s ignored"), 1);
    EXPECT_TRUE(sim.WaitForLog("[#1 COM2 ad] tx \"U0"));

    // A D/A box answers neither type query with I or U.
    EXPECT_EQ(IdentifyBox(link, port, 3, -1, name), kIdentifyFound);
    EXPECT_EQ(name, "QVX-D/A");
    EXPECT_EQ(port.baudRate, 115200);
    EXPECT_EQ(port.lineControl, 1);  // txOnly negative
    EXPECT_EQ(SpLineSpeed(link.handle()), 115200);
}

TEST_F(IdentifyBoxTest, NoAnswerGivesTwoAndLeavesTheLinkOpen) {
    BoxSim sim({"--box", "io,speed=9600,com=4,fail=silent", "--box",
                "ad,speed=19200,com=5,fail=silent-after:1"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    SerialPortSettings port;
    std::string name;

    // Nothing answers: about 2 s (four probes of 500 ms), open at 115200.
    const int64_t t0 = NowMs();
    EXPECT_EQ(IdentifyBox(link, port, 4, 0, name), kIdentifyNoAnswer);
    EXPECT_GE(NowMs() - t0, 1900);
    EXPECT_EQ(name, "");
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(port.baudRate, 115200);
    EXPECT_EQ(SpLineSpeed(link.handle()), 115200);

    // A box that answers the probe and then nothing: 2, open at the speed that answered.
    name = "stale";
    EXPECT_EQ(IdentifyBox(link, port, 5, 0, name), kIdentifyNoAnswer);
    EXPECT_EQ(name, "");
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(port.baudRate, 19200);
    EXPECT_TRUE(sim.WaitForLog("[#1 COM5 ad] rx \"I\""));

    // Something that answers every line, but never with "?", is no box either.
    PtyBox other(env.comDir(), 6);
    ASSERT_TRUE(other.ok());
    std::atomic<bool> done{false};
    std::thread answer([&] {
        while (!done) {
            if (other.Pending().find('\n') == std::string::npos) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            other.NextLine(0);
            other.Send("X\n");
        }
    });
    EXPECT_EQ(IdentifyBox(link, port, 6, 0, name), kIdentifyNoAnswer);
    done = true;
    answer.join();
    EXPECT_EQ(name, "");
    EXPECT_EQ(port.baudRate, 115200);
}

TEST_F(IdentifyBoxTest, PortThatCannotBeOpenedGivesOne) {
    SerialLink link;
    SerialPortSettings port;
    std::string name = "stale";
    EXPECT_EQ(IdentifyBox(link, port, 9, 0, name), kIdentifyNoPort);  // no entry
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(name, "");
    symlink("/dev/pts/no-such-pty", (env.comDir() + "COM10").c_str());
    EXPECT_EQ(IdentifyBox(link, port, 10, 0, name), kIdentifyNoPort);  // dangling
    EXPECT_EQ(IdentifyBox(link, port, 0, 0, name), kIdentifyNoPort);   // no such number
    EXPECT_FALSE(link.IsOpen());

    // Held by another process.
    BoxSim sim({"--box", "io,com=11"});
    ASSERT_TRUE(sim.ready());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SerialLink holder;
        SerialPortSettings p;
        p.portNumber = 11;
        p.baudRate = 9600;
        const char ok = holder.Open(p) != kNoSerialHandle ? '1' : '0';
        if (write(ready[1], &ok, 1) != 1) _exit(1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, '1');
    EXPECT_EQ(IdentifyBox(link, port, 11, 0, name), kIdentifyNoPort);
    EXPECT_FALSE(link.IsOpen());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(IdentifyBox(link, port, 11, 0, name), kIdentifyFound);
    EXPECT_EQ(name, "QVX-I/O");
}

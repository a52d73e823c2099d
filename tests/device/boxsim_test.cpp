// The box simulator seen through the serial link: command table, inputs changed while it runs,
// failure modes, closing and reopening, unplugging, ending.
#include <unistd.h>

#include "device/SerialLink.h"
#include "device/box_commands.h"
#include "device/box_sim_helper.h"
#include "platform/com_ports.h"
#include "support/child_process.h"
#include "support/test_port.h"

namespace {

// Sends command and returns the reply line, "" when none came.
std::string Ask(SerialLink& link, const std::string& command) {
    if (link.Write(command.data(), static_cast<int>(command.size()), 0) != 0) return "<write>";
    char line[SerialLink::kLineBufferSize];
    int len = 0;
    if (link.ReadLine(line, &len) != 0) return "";
    return std::string(line, static_cast<size_t>(len));
}

// Runs qvx-boxsim with args and returns its exit code (-1 when it could not start or did not
// end) and what it printed.
int RunSim(const std::vector<std::string>& args, std::string* out) {
    TempDir dir;
    const std::string outPath = dir.path() + "out";
    const pid_t pid = StartProgram("qvx-boxsim", args, outPath);
    if (pid <= 0) return -1;
    const int code = WaitForExitCode(pid, 60000);
    *out = ReadFile(outPath);
    return code;
}

}  // namespace

class BoxSimTest : public IsolatedTest {};

TEST_F(BoxSimTest, AnalogBoxReadsItsVoltagesInBothRanges) {
    BoxSim sim({"--box", "ad,com=1,volts=12.5/-5/0/20"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    ASSERT_NE(link.Open(Port(1)), kNoSerialHandle);
    EXPECT_EQ(Ask(link, "\n"), "?");
    EXPECT_EQ(Ask(link, "U0"), "");         // no "\n": the command is not complete yet...
    EXPECT_EQ(Ask(link, "\n"), "U0A00");    // ...until it comes
    EXPECT_EQ(Ask(link, "B0\n"), "B0FFF");  // 22.5 V above the range: its end
    EXPECT_EQ(Ask(link, "U1\n"), "U1000");
    EXPECT_EQ(Ask(link, "B1\n"), "B1400");
    EXPECT_EQ(Ask(link, "U3\n"), "U3FFF");
    EXPECT_EQ(Ask(link, "U8\n"), "?");
    EXPECT_EQ(Ask(link, "I\n"), "?");

    ASSERT_TRUE(sim.Control("ad 5 2.9638671875"));
    ASSERT_TRUE(sim.WaitForLog("control \"ad 5"));
    const std::string reply = Ask(link, "B5\n");
    int32_t raw[8] = {};
    double volts[8] = {};
    EXPECT_EQ(ParseAnalogReply(reply.c_str(), static_cast<int>(reply.size()), 1, raw, volts), 5);
    EXPECT_EQ(raw[5], 0xA5F);
    EXPECT_DOUBLE_EQ(volts[5], 2.9638671875);
}

TEST_F(BoxSimTest, OutputBoxesEchoAndBadEchoDiffers) {
    BoxSim sim({"--box", "da,com=1", "--box", "io,com=2,in=5a"});
    ASSERT_TRUE(sim.ready());
    SerialLink da;
    ASSERT_NE(da.Open(Port(1)), kNoSerialHandle);
    char cmd[kCommandBufferSize];
    FormatVoltageCommand(0, 2.5, cmd);
    EXPECT_EQ(Ask(da, cmd), "P3FFF");
    EXPECT_EQ(Ask(da, "U0\n"), "?");
    ASSERT_TRUE(sim.Control("#0 fail bad-echo"));
    ASSERT_TRUE(sim.WaitForLog("fail bad-echo"));
    const std::string bad = Ask(da, cmd);
    EXPECT_EQ(bad.size(), 5u);
    EXPECT_NE(bad.substr(0, 5), "P3FFF");

    SerialLink io;
    ASSERT_NE(io.Open(Port(2)), kNoSerialHandle);
    EXPECT_EQ(Ask(io, "I\n"), "I5A");
    const int32_t out[8] = {1, 0, 0, 0, 0, 0, 0, 1};
    FormatOutputCommand(out, cmd);
    EXPECT_EQ(Ask(io, cmd), "O81");
    EXPECT_TRUE(sim.WaitForLog("[#1 COM2 io] tx \"O81\""));
}

TEST_F(BoxSimTest, InterruptReportsFollowMaskedInputChanges) {
    BoxSim sim({"--box", "io,speed=19200,com=3"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    ASSERT_NE(link.Open(Port(3, 19200)), kNoSerialHandle);
    char line[SerialLink::kLineBufferSize];
    int len = 0;
    ASSERT_EQ(link.Write("W0F\n", 4, 0), 0);  // no reply to the mask
    EXPECT_EQ(link.ReadLine(line, &len), 99);

    ASSERT_TRUE(sim.Control("io-in 0x5a"));  // masked bits 1 and 3 change
    EXPECT_TRUE(WaitFor([&] { return link.ReadLine(line, &len) == 0; }));
    EXPECT_STREQ(line, "W5A");
    ASSERT_TRUE(sim.Control("io-in 0xda"));  // only bit 7 changes: not masked, no report
    ASSERT_TRUE(sim.WaitForLog("io-in 0xda"));
    EXPECT_EQ(link.ReadLine(line, &len), 99);
    EXPECT_EQ(Ask(link, "I\n"), "IDA");
    ASSERT_TRUE(sim.Control("io-bit 0 1"));
    EXPECT_TRUE(WaitFor([&] { return link.ReadLine(line, &len) == 0; }));
    EXPECT_STREQ(line, "WDB");
    int32_t in[8] = {};
    ParseInputReply(line, len, in);
    EXPECT_EQ(in[0], 1);
    EXPECT_EQ(in[2], 0);

    // A wrong speed gets nothing at all.
    link.Close();
    ASSERT_NE(link.Open(Port(3, 9600)), kNoSerialHandle);
    EXPECT_EQ(Ask(link, "I\n"), "");
}

TEST_F(BoxSimTest, KeepsServingAcrossCloseAndReopenAndTakesSchedules) {
    BoxSim sim({"--box", "io,com=1", "--at", "100:io-in 0x01", "--every", "50:io-walk"});
    ASSERT_TRUE(sim.ready());
    for (int round = 0; round < 3; ++round) {
        SerialLink link;
        ASSERT_NE(link.Open(Port(1)), kNoSerialHandle) << round;
        EXPECT_EQ(Ask(link, "\n"), "?") << round;
        const std::string reply = Ask(link, "I\n");
        ASSERT_EQ(reply.size(), 3u);
        EXPECT_EQ(reply[0], 'I');
    }
    // The walk moves the inputs while it runs.
    EXPECT_TRUE(sim.WaitForLog("control \"io-walk\""));
    EXPECT_TRUE(sim.WaitForLog("control \"io-in 0x01\""));
    EXPECT_TRUE(sim.Running());
}

TEST_F(BoxSimTest, UnpluggedBoxMidExchange) {
    BoxSim sim({"--box", "ad,com=2,fail=close-after:2"});
    ASSERT_TRUE(sim.ready());
    SerialLink link;
    ASSERT_NE(link.Open(Port(2)), kNoSerialHandle);
    EXPECT_EQ(Ask(link, "\n"), "?");
    EXPECT_EQ(Ask(link, "U0\n"), "U0000");
    // The third command pulls the plug: no reply, then writes fail, reads find nothing.
    EXPECT_EQ(link.Write("U1\n", 3, 0), 0);
    char line[SerialLink::kLineBufferSize];
    int len = 0;
    EXPECT_EQ(link.ReadLine(line, &len), 99);
    EXPECT_TRUE(WaitFor([&] { return link.Write("U1\n", 3, 0) == 1; }));
    char b[2];
    EXPECT_EQ(link.ReadByte(b), 1);
    EXPECT_EQ(link.ReadLine(line, &len), 99);
    EXPECT_TRUE(sim.WaitForLog("unplugged"));
    EXPECT_TRUE(ListComPorts(env.settingsFolder()).empty());  // the link went with the box
    link.Close();

    // Plugged in again: a new pty behind the same COM number.
    ASSERT_TRUE(sim.Control("fail none"));
    ASSERT_TRUE(sim.Control("plug"));
    ASSERT_TRUE(WaitFor([&] { return !ListComPorts(env.settingsFolder()).empty(); }));
    ASSERT_NE(link.Open(Port(2)), kNoSerialHandle);
    EXPECT_EQ(Ask(link, "\n"), "?");
}

TEST_F(BoxSimTest, EndsCleanlyAndExplainsItself) {
    {
        BoxSim sim({"--box", "io,com=1", "--box", "da,com=2"});
        ASSERT_TRUE(sim.ready());
        EXPECT_EQ(ListComPorts(env.settingsFolder()).size(), 2u);
        EXPECT_EQ(sim.Stop(), 0);  // SIGTERM
        EXPECT_FALSE(PathExists(env.comDir() + "COM1"));
        EXPECT_FALSE(PathExists(env.comDir() + "COM2"));
    }
    {
        BoxSim sim({"--box", "io,com=1"});
        ASSERT_TRUE(sim.ready());
        ASSERT_TRUE(sim.Control("quit"));
        EXPECT_TRUE(WaitFor([&] { return !sim.Running(); }));
        EXPECT_FALSE(PathExists(env.comDir() + "COM1"));
    }
    {
        // A link in the way that is in use is not replaced; a dangling one is.
        WriteFile(env.root() + "busy", "");
        symlink((env.root() + "busy").c_str(), (env.comDir() + "COM3").c_str());
        BoxSim refused({"--box", "io,com=3"});
        EXPECT_FALSE(refused.ready());
        symlink((env.root() + "gone").c_str(), (env.comDir() + "COM4").c_str());
        BoxSim replaced({"--box", "io,com=4"});
        EXPECT_TRUE(replaced.ready());
    }

    std::string out;
    EXPECT_EQ(RunSim({"--help"}, &out), 0);
    for (const char* word :
         {"--box", "speed=", "com=", "link=", "silent-after:", "close-after:", "bad-echo",
          "--control", "--at", "--every", "--ready", "--log", "io-in", "unplug", "Whh"}) {
        EXPECT_NE(out.find(word), std::string::npos) << word;
    }
    EXPECT_EQ(RunSim({}, &out), 2);
    EXPECT_EQ(RunSim({"--box", "xy,com=1"}, &out), 2);
    EXPECT_EQ(RunSim({"--box", "io,com=1,speed=12345"}, &out), 2);
    EXPECT_EQ(RunSim({"--box", "io"}, &out), 2);
    EXPECT_EQ(RunSim({"--box", "io,com=1,fail=sometimes"}, &out), 2);
}

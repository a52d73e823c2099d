// What qvx prints for known voltages, codes and input patterns of simulated boxes.
#include <string>
#include <vector>

#include "device/box_commands.h"
#include "device/box_sim_helper.h"
#include "panels/da_values.h"
#include "qvx_run.h"

namespace {

// The A/D inputs the simulator applies, and what the two ranges read of them.
const char kAdVolts[] = "volts=2.5/-10/0/19.99/-2.5/5/7.5/12.9638671875";

// The fields of a text line after its time.
std::vector<std::string> FieldsAfterTime(const std::string& line) {
    std::vector<std::string> fields;
    size_t at = line.find(' ');
    while (at != std::string::npos) {
        const size_t next = line.find(' ', at + 1);
        fields.push_back(line.substr(at + 1, next == std::string::npos ? next : next - at - 1));
        at = next;
    }
    return fields;
}

std::string AfterFirstComma(const std::string& line) {
    return line.substr(line.find(',') + 1);
}

}  // namespace

class QvxOutputTest : public IsolatedTest {};

TEST_F(QvxOutputTest, AdPrintsVoltsAndCodesOfBothRangesInEachFormat) {
    BoxSim sim({"--box", std::string("ad,speed=38400,com=4,") + kAdVolts});
    ASSERT_TRUE(sim.ready());

    const std::vector<std::string> lines = Lines(OutputOf({"ad", "COM4"}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("0.000 ", 0), 0u) << lines[0];
    EXPECT_EQ(
        FieldsAfterTime(lines[0]),
        (std::vector<std::string>{"2.500V(A00)", "-10.000V(000)", "0.000V(800)", "9.995V(FFF)",
                                  "-2.500V(600)", "5.000V(C00)", "7.500V(E00)", "9.995V(FFF)"}));
    // The panel's way: one request at a time, IN0 to IN7, "B" in the default range.
    const std::string log = sim.Log();
    EXPECT_LT(log.find("rx \"B0\""), log.find("rx \"B7\""));
    EXPECT_EQ(log.find("rx \"U1\""), std::string::npos);

    const std::vector<std::string> rows = Lines(OutputOf(
        {"ad", "4", "--range=unipolar", "--count", "2", "--interval", "0", "--format=csv"}));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              "time,IN0,IN1,IN2,IN3,IN4,IN5,IN6,IN7,IN0_code,IN1_code,IN2_code,IN3_code,IN4_code,"
              "IN5_code,IN6_code,IN7_code");
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(AfterFirstComma(rows[i]),
                  "2.500,0.000,0.000,19.985,0.000,5.000,7.500,12.964,200,000,000,FFD,000,400,600,"
                  "A5F");
    }

    ASSERT_TRUE(sim.Control("ad 4 1.25"));
    ASSERT_TRUE(sim.WaitForLog("ad 4"));
    const std::string object = OutputOf({"ad", "COM4", "--format", "json"});
    EXPECT_EQ(object.rfind("{\"time\":0.000,\"IN0\":2.500,\"IN1\":-10.000,", 0), 0u) << object;
    EXPECT_NE(object.find(",\"IN4\":1.250,"), std::string::npos) << object;
    EXPECT_NE(object.find(",\"IN4_code\":\"900\","), std::string::npos) << object;
    EXPECT_EQ(object.substr(object.size() - 2), "}\n");
    EXPECT_EQ(Lines(object).size(), 1u);
}

// The D/A panel's own cases, and that qvx computes them with the panel's function.
TEST_F(QvxOutputTest, DaSendsThePanelsCodeAndChecksTheEcho) {
    BoxSim sim({"--box", "da,speed=9600,com=2"});
    ASSERT_TRUE(sim.ready());
    struct Case {
        const char* range;
        int rangeValue;
        const char* volts;
        const char* printed;
    };
    const Case cases[] = {
        {"unipolar", 0, "12", "PFFFF 10.0000V"},  // limited to the range's upper end
        {"unipolar", 0, "-3", "P0000 0.0000V"},   // ... and to its lower end
        {"unipolar", 0, "5", "P7FFF 5.0000V"},    // the "+5V" preset
        {"unipolar", 0, "2.5", "P3FFF 2.5000V"},
        {"bipolar", 1, "0", "P7FFF 0.0000V"},  // the "0V" preset
        {"bipolar", 1, "-5.0", "P3FFF -5.0000V"},
        {"bipolar", 1, "-10", "P0000 -10.0000V"},
        {"bipolar", 1, "10", "PFFFF 10.0000V"},
        {"bipolar", 1, "5", "PBFFF 5.0000V"},
        {"bipolar", 1, ".", "P7FFF 0.0000V"},  // a lone "." passes and reads 0.0
        {"bipolar", 1, "2.5", "P9FFF 2.5000V"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.range) + " " + c.volts);
        const size_t logSize = sim.Log().size();
        EXPECT_EQ(OutputOf({"da", "COM2", "--range", c.range, "--", c.volts}),
                  std::string(c.printed) + "\n");

        double volts = 0;
        ASSERT_TRUE(ConvertDaText(c.volts, c.rangeValue, &volts));
        char command[kCommandBufferSize];
        FormatVoltageCommand(c.rangeValue, volts, command);
        EXPECT_EQ(std::string(c.printed).substr(0, 5), std::string(command, 5));
        EXPECT_TRUE(
            sim.WaitForLog("rx \"" + std::string(c.printed).substr(0, 5) + "\"", 30000, logSize));
    }
    // A negative voltage may follow the port without "--"; the default range is -10 to 10 V.
    EXPECT_EQ(RunQvx({"da", "2", "-7.5"}).out, "P1FFF -7.5000V\n");

    // What the panel's number check refuses is a usage error, and nothing is sent.
    for (const char* refused : {"1e1", "", "2,5", "--5", "5-"}) {
        SCOPED_TRACE(refused);
        const size_t logSize = sim.Log().size();
        const QvxRun run = RunQvx({"da", "COM2", "--", refused});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        EXPECT_EQ(sim.Log().find("rx \"P", logSize), std::string::npos);
    }
}

TEST_F(QvxOutputTest, IoSetsOutputsAndPrintsInputsInThePanelsOrder) {
    BoxSim sim({"--box", "io,speed=9600,com=3,in=5a"});
    ASSERT_TRUE(sim.ready());

    EXPECT_EQ(OutputOf({"io", "COM3", "--out", "81"}), "5A 01011010\n");
    EXPECT_TRUE(sim.WaitForLog("rx \"O81\""));

    ASSERT_TRUE(sim.Control("io-in 0x01"));
    ASSERT_TRUE(sim.WaitForLog("io-in"));
    EXPECT_EQ(OutputOf({"io", "3", "--format=csv", "--out=0x3"}),
              "time,image,IN07,IN06,IN05,IN04,IN03,IN02,IN01,IN00\n"
              "0.000,01,0,0,0,0,0,0,0,1\n");
    EXPECT_TRUE(sim.WaitForLog("rx \"O03\""));

    EXPECT_EQ(OutputOf({"io", "COM3", "--format", "json"}),
              "{\"time\":0.000,\"image\":\"01\",\"IN07\":0,\"IN06\":0,\"IN05\":0,\"IN04\":0,"
              "\"IN03\":0,\"IN02\":0,\"IN01\":0,\"IN00\":1}\n");
}

TEST_F(QvxOutputTest, IoWatchPrintsEachChangeWithItsTime) {
    BoxSim sim({"--box", "io,speed=9600,com=6,in=00"});
    ASSERT_TRUE(sim.ready());
    QvxProcess watch({"io", "COM6", "--watch", "--count", "2"});
    ASSERT_TRUE(WaitFor([&] { return !watch.out().empty(); }));
    ASSERT_TRUE(sim.Control("io-in 04"));
    ASSERT_TRUE(WaitFor([&] { return Lines(watch.out()).size() >= 2; }));
    // The same image again is no change.
    ASSERT_TRUE(sim.Control("io-in 04"));
    ASSERT_TRUE(sim.Control("io-in 84"));
    ASSERT_EQ(watch.Wait(), 0) << watch.err();

    const std::vector<std::string> lines = Lines(watch.out());
    ASSERT_EQ(lines.size(), 3u) << watch.out();
    const char* const images[] = {"00 00000000", "04 00000100", "84 10000100"};
    double last = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t blank = lines[i].find(' ');
        ASSERT_NE(blank, std::string::npos);
        EXPECT_EQ(lines[i].substr(blank + 1), images[i]);
        const double seconds = std::stod(lines[i].substr(0, blank));
        EXPECT_GE(seconds, last);
        last = seconds;
    }
}

TEST_F(QvxOutputTest, ListAndProbeNameEveryEntryAndItsBox) {
    BoxSim sim({"--box", "io,speed=19200,com=3", "--box", "ad,speed=115200,com=12", "--box",
                "da,speed=9600,com=7,fail=silent"});
    ASSERT_TRUE(sim.ready());

    const std::vector<std::string> lines = Lines(OutputOf({"list"}));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("COM3  /dev/pts/", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("COM7  /dev/pts/", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("COM12  /dev/pts/", 0), 0u) << lines[2];

    const std::vector<std::string> found = Lines(OutputOf({"list", "--probe"}));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], lines[0] + "  QVX-I/O 19200");
    EXPECT_EQ(found[1], lines[1] + "  no box");
    EXPECT_EQ(found[2], lines[2] + "  QVX-A/D 115200");

    EXPECT_EQ(OutputOf({"identify", "com12"}), "QVX-A/D 115200\n");
}

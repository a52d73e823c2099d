// A box unplugged while its panel runs: the real panel process on a simulated box that goes away
// (the simulator's "unplug" control line, or fail=close-after:N, which closes the pty on a
// command). The panel's worker reports its error code through the child error word, the panel
// still ends when the launcher's main word asks, and it reports its end with child status 3.
#include <cstdlib>
#include <string>
#include <vector>

#include "device/box_sim_helper.h"
#include "statlink.h"
#include "support/child_process.h"
#include "testkit/proc_info.h"

using testkit::Ended;

namespace {

class UnpluggedBoxTest : public IsolatedTest {
  protected:
    UnpluggedBoxTest() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }

    std::string ClicksFile() const { return env.root() + "clicks"; }
    // Asks the panel host to click the button with this id.
    void Click(int id) {
        const std::string old = ReadFile(ClicksFile());
        WriteFile(ClicksFile(), old + "click " + std::to_string(id) + "\n");
    }

    // The worker's error code arrives; the panel must still end on the launcher's request, and
    // say so.
    void ExpectErrorThenEndOnRequest(pid_t pid, int channel, int code) {
        EXPECT_TRUE(WaitFor([&] { return slk_GetChildErr(channel) == code; }, 30000))
            << "child error " << slk_GetChildErr(channel);
        ExpectEndsOnRequest(pid, channel);
    }
    void ExpectEndsOnRequest(pid_t pid, int channel) {
        EXPECT_FALSE(Ended(pid)) << "the panel died with its box";
        slk_SetMainSta(channel, 1);
        EXPECT_EQ(WaitForExitCode(pid, 60000), 0);
        EXPECT_EQ(slk_GetChildSta(channel), 3);
    }

    std::string PanelOut() const { return env.root() + "panel.out"; }

    // Runs a D/A panel on COM4, channel 1, through the panel host, and sets its output once
    // ("+10V出力" in the -10..10 V range: PFFFF), so that its next command meets the lost box.
    pid_t StartDaPanelWithAnOutput(const BoxSim& sim) {
        slk_SetMainSta(1, 0);
        setenv("VANTREL_PANEL_HOST_CLICKS", ClicksFile().c_str(), 1);
        const pid_t pid = StartProgram("vantrel-panel-host", {"/4", "/QVX-DA", "/1"}, PanelOut());
        if (pid <= 0 || !sim.WaitForLog("rx \"U0\"", 60000)) return -1;
        Click(1004);
        if (!sim.WaitForLog("tx \"PFFFF\"", 60000)) return -1;
        SleepForMs(100);  // the echo taken
        return pid;
    }

    // Runs an A/D panel on COM3, channel 0, until it polls; then its box goes, by the control
    // line "unplug" or by the box's own failure mode.
    void AdPanelLosesItsBox(const std::string& box, bool unplugByControl) {
        BoxSim sim({"--box", box});
        ASSERT_TRUE(sim.ready());
        slk_SetMainSta(0, 0);
        const pid_t pid = StartProgram("vantrel", {"/3", "/QVX-AD", "/0"}, PanelOut());
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(sim.WaitForLog("rx \"B7\"", 60000)) << sim.Log();
        EXPECT_EQ(slk_GetChildErr(0), 0);

        if (unplugByControl) {
            ASSERT_TRUE(sim.Control("unplug"));
        }
        ASSERT_TRUE(sim.WaitForLog("unplugged", 60000)) << sim.Log();
        // "QVX-A/D 入力確認に失敗": no reply to a read command.
        ExpectErrorThenEndOnRequest(pid, 0, 15);
    }

    // Runs an I/O panel on COM5, channel 2, until it has polled 20 times; then its box goes, by
    // the control line "unplug" or by the box's own failure mode.
    void IoPanelLosesItsBox(const std::string& box, bool unplugByControl) {
        BoxSim sim({"--box", box});
        ASSERT_TRUE(sim.ready());
        slk_SetMainSta(2, 0);
        const pid_t pid = StartProgram("vantrel", {"/5", "/QVX-IO", "/2"}, PanelOut());
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(WaitFor([&] { return sim.CountInLog("rx \"I\"") >= 20; }, 60000)) << sim.Log();
        EXPECT_EQ(slk_GetChildErr(2), 0);

        if (unplugByControl) {
            ASSERT_TRUE(sim.Control("unplug"));
        }
        ASSERT_TRUE(sim.WaitForLog("unplugged", 60000)) << sim.Log();
        // "QVX-I/O IO入力確認失敗": no reply to the input poll.
        ExpectErrorThenEndOnRequest(pid, 2, 7);
    }
};

}  // namespace

TEST_F(UnpluggedBoxTest, AdPanelUnpluggedWhilePolling) {
    AdPanelLosesItsBox("ad,speed=19200,com=3,volts=2.5", true);
}

TEST_F(UnpluggedBoxTest, AdPanelBoxClosesOnARequestMidCycle) {
    // Identification takes three commands; the box goes on the 20th read request.
    AdPanelLosesItsBox("ad,speed=9600,com=3,fail=close-after:22", false);
}

TEST_F(UnpluggedBoxTest, DaPanelUnpluggedBetweenTwoOutputs) {
    BoxSim sim({"--box", "da,speed=9600,com=4"});
    ASSERT_TRUE(sim.ready());
    const pid_t pid = StartDaPanelWithAnOutput(sim);
    ASSERT_GT(pid, 0) << sim.Log();
    EXPECT_EQ(slk_GetChildErr(1), 0);

    ASSERT_TRUE(sim.Control("unplug"));
    ASSERT_TRUE(sim.WaitForLog("unplugged", 60000));
    Click(1002);  // "-10V出力": a command that no box will echo
    // "QVX-D/A 出力指示失敗": no echo within 500 ms.
    ExpectErrorThenEndOnRequest(pid, 1, 12);
}

TEST_F(UnpluggedBoxTest, DaPanelBoxClosesOnItsCommand) {
    // Three identification commands and one output answered; the next output closes the box.
    BoxSim sim({"--box", "da,speed=9600,com=4,fail=close-after:4"});
    ASSERT_TRUE(sim.ready());
    const pid_t pid = StartDaPanelWithAnOutput(sim);
    ASSERT_GT(pid, 0) << sim.Log();
    Click(1003);  // "0V出力"
    ASSERT_TRUE(sim.WaitForLog("unplugged", 60000)) << sim.Log();
    ExpectErrorThenEndOnRequest(pid, 1, 12);
}

TEST_F(UnpluggedBoxTest, IoPanelUnpluggedWhilePolling) {
    IoPanelLosesItsBox("io,speed=9600,com=5,in=5A", true);
}

TEST_F(UnpluggedBoxTest, IoPanelBoxClosesOnAPoll) {
    // Identification (three commands), the first output command, then 40 polls answered.
    IoPanelLosesItsBox("io,speed=9600,com=5,fail=close-after:44", false);
}

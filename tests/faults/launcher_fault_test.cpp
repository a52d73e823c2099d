// The real launcher with real panel processes on simulated boxes, started by its auto-run
// option: a panel killed outright must not stay behind as a zombie of the launcher, and a
// launcher ended by SIGTERM must take its four running panels with it, each one reporting its
// end through its child status word.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "device/box_sim_helper.h"
#include "statlink.h"
#include "support/child_process.h"
#include "testkit/proc_info.h"

using testkit::ChildrenOf;
using testkit::Ended;
using testkit::ProcessState;
using testkit::ReapUntilEnded;
using testkit::ZombieChildrenOf;

namespace {

class LauncherFaultTest : public ProgramTest {
  protected:
    std::string LauncherIni() const { return env.settingsFolder() + "vantrel.ini"; }

    // The real launcher, connecting every typed row at its start.
    pid_t StartLauncher(const std::string& optionLines) {
        std::filesystem::create_directories(env.settingsFolder());
        WriteFile(LauncherIni(), "[Option]\r\nAutoRun=1\r\n" + optionLines);
        return StartProgram("vantrel", {}, env.root() + "launcher.out");
    }
};

}  // namespace

TEST_F(LauncherFaultTest, PanelKilledOutrightLeavesNoZombie) {
    BoxSim sim({"--box", "ad,speed=19200,com=3"});
    ASSERT_TRUE(sim.ready());
    const pid_t launcher = StartLauncher("Ch1_COM=3\r\nCh1_MODE=3\r\n");
    ASSERT_GT(launcher, 0);
    ASSERT_TRUE(sim.WaitForLog("rx \"B7\"", 60000)) << sim.Log();
    const std::vector<pid_t> panels = ChildrenOf(launcher);
    ASSERT_EQ(panels.size(), 1u);

    ASSERT_EQ(kill(panels[0], SIGKILL), 0);
    // The supervision thread reaps it: no zombie child, and the launcher lives on.
    EXPECT_TRUE(WaitFor([&] { return ProcessState(panels[0]) == 0; }, 30000))
        << "state " << ProcessState(panels[0]);
    EXPECT_TRUE(ZombieChildrenOf(launcher).empty());
    EXPECT_FALSE(Ended(launcher));
    // The killed panel never wrote its end.
    EXPECT_EQ(slk_GetChildSta(0), 0);

    ASSERT_EQ(kill(launcher, SIGTERM), 0);
    EXPECT_EQ(WaitForExitCode(launcher, 60000), 0);
}

TEST_F(LauncherFaultTest, SigtermToTheLauncherEndsItsFourPanels) {
    // Panels outliving the launcher come to this process, which then sees their exit codes.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    BoxSim sim({"--box", "ad,speed=19200,com=3", "--box", "da,speed=9600,com=4", "--box",
                "io,speed=9600,com=5", "--box", "da,speed=115200,com=6"});
    ASSERT_TRUE(sim.ready());
    const pid_t launcher =
        StartLauncher(std::string("Ch1_COM=3\r\nCh1_MODE=3\r\nCh2_COM=4\r\nCh2_MODE=2\r\n") +
                      "Ch3_COM=5\r\nCh3_MODE=1\r\nCh4_COM=6\r\nCh4_MODE=2\r\n");
    ASSERT_GT(launcher, 0);
    // All four identified, the pollers polling.
    ASSERT_TRUE(WaitFor(
        [&] {
            return sim.CountInLog("COM3 ad] rx \"B7\"") > 0 &&
                   sim.CountInLog("COM4 da] rx \"U0\"") > 0 &&
                   sim.CountInLog("COM5 io] rx \"I\"") > 0 &&
                   sim.CountInLog("COM6 da] rx \"U0\"") > 0 && ChildrenOf(launcher).size() == 4;
        },
        90000))
        << sim.Log();
    SleepForMs(500);  // the D/A workers past their first step
    const std::vector<pid_t> panels = ChildrenOf(launcher);
    ASSERT_EQ(panels.size(), 4u);
    for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(slk_GetChildErr(ch), 0) << "channel " << ch;

    ASSERT_EQ(kill(launcher, SIGTERM), 0);
    std::vector<pid_t> everyone = panels;
    everyone.push_back(launcher);
    bool allEnded = false;
    std::map<pid_t, int> exitCodes = ReapUntilEnded(everyone, 60000, &allEnded);
    EXPECT_TRUE(allEnded);
    EXPECT_EQ(exitCodes.count(launcher), 1u);
    if (exitCodes.count(launcher)) {
        EXPECT_EQ(exitCodes[launcher], 0);
    }
    // Panels the launcher did not reap itself came here: each ended normally.
    for (pid_t p : panels) {
        if (exitCodes.count(p)) {
            EXPECT_EQ(exitCodes[p], 0) << "panel " << p;
        }
    }
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(slk_GetChildSta(ch), 3) << "channel " << ch;
        EXPECT_EQ(slk_GetMainSta(ch), 1) << "channel " << ch;
    }
    for (pid_t p : panels) {
        if (!Ended(p)) kill(p, SIGKILL);
    }
}

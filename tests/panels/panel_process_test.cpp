// A real panel process: vantrel started as the launcher starts it, on a simulated A/D box.
#include <signal.h>

#include <string>

#include "device/box_sim_helper.h"
#include "platform/profile_file.h"
#include "statlink.h"
#include "support/child_process.h"
#include "testkit/proc_info.h"

class PanelProcessTest : public IsolatedTest {};

TEST_F(PanelProcessTest, LauncherMainWordEndsAnAdPanelProcess) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    BoxSim sim({"--box", "ad,speed=19200,com=3,volts=2.5"});
    ASSERT_TRUE(sim.ready());
    slk_SetMainSta(0, 0);

    const pid_t pid = StartProgram("vantrel", {"/3", "/QVX-AD", "/0"});
    ASSERT_GT(pid, 0);
    // Identified, and the worker polls: "-10～10V" while the ini has no range.
    const bool polling = sim.WaitForLog("rx \"B7\"", 60000);
    EXPECT_TRUE(polling);
    EXPECT_EQ(slk_GetChildErr(0), 0);

    slk_SetMainSta(0, 1);
    EXPECT_EQ(WaitForExitCode(pid, 60000), 0);
    EXPECT_EQ(slk_GetChildSta(0), 3);
    if (polling && !PathExists(BinDir() + "vantrel.ini")) {
        const std::string ini = env.settingsFolder() + "vantrelAD3.ini";
        EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, ini), 1);
        EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, ini), -1);
    }
}

TEST_F(PanelProcessTest, IoPanelProcessPollsAndEndsOnTheMainWord) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    BoxSim sim({"--box", "io,speed=38400,com=7,in=01"});
    ASSERT_TRUE(sim.ready());
    slk_SetMainSta(2, 0);

    const pid_t pid = StartProgram("vantrel", {"/7", "/QVX-IO", "/2"});
    ASSERT_GT(pid, 0);
    // The first output command, then the polls.
    const bool polling = sim.WaitForLog("rx \"O00\"", 60000) &&
                         sim.WaitForLog("rx \"I\"", 60000, sim.Log().find("rx \"O00\""));
    EXPECT_TRUE(polling);
    EXPECT_EQ(slk_GetChildErr(2), 0);

    slk_SetMainSta(2, 1);
    EXPECT_EQ(WaitForExitCode(pid, 60000), 0);
    EXPECT_EQ(slk_GetChildSta(2), 3);
    if (polling && !PathExists(BinDir() + "vantrel.ini")) {
        // Ended by the launcher: the panel's placement is kept, the graph's is not.
        const std::string ini = env.settingsFolder() + "vantrelIO7.ini";
        EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, ini), -1);
        EXPECT_EQ(GetPrivateProfileInt("Graph", "Width", -1, ini), -1);
    }
}

// A panel ended by a termination signal closes as if its Close button were pressed.
TEST_F(PanelProcessTest, TerminationSignalsCloseAPanelLikeItsCloseButton) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    BoxSim sim({"--box", "ad,speed=9600,com=4", "--box", "da,speed=9600,com=5", "--box",
                "io,speed=9600,com=6"});
    ASSERT_TRUE(sim.ready());
    struct Case {
        int signal;
        const char* mode;
        int com;
        int channel;
        const char* iniName;
        const char* working;  // what the simulator hears once the panel's worker runs
    };
    const Case cases[] = {
        {SIGTERM, "/QVX-AD", 4, 0, "vantrelAD4.ini", "rx \"B7\""},
        {SIGHUP, "/QVX-DA", 5, 1, "vantrelDA5.ini", "rx \"U0\""},
        {SIGINT, "/QVX-IO", 6, 2, "vantrelIO6.ini", "rx \"O00\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        slk_SetMainSta(c.channel, 0);
        slk_SetChildSta(c.channel, 0);
        const size_t mark = sim.Log().size();
        const pid_t pid = StartProgram(
            "vantrel", {"/" + std::to_string(c.com), c.mode, "/" + std::to_string(c.channel)});
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(sim.WaitForLog(c.working, 60000, mark));
        ASSERT_TRUE(WaitFor([&] { return testkit::CatchesSignals(pid, {c.signal}); }, 60000));
        kill(pid, c.signal);
        EXPECT_EQ(WaitForExitCode(pid, 60000), 0);
        EXPECT_EQ(slk_GetChildSta(c.channel), 3);
        if (!PathExists(BinDir() + "vantrel.ini")) {
            const std::string ini = env.settingsFolder() + c.iniName;
            EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, ini), -1);
        }
    }
}

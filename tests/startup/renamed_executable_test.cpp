// A copy of the program under a name with a dot in it ("vantrel.v2"): its ini files keep the
// name before the last dot, but the panels it starts run the copy itself.
#include <signal.h>

#include <filesystem>
#include <string>

#include "device/box_sim_helper.h"
#include "statlink.h"
#include "support/child_process.h"
#include "testkit/proc_info.h"

using testkit::ChildrenOf;
using testkit::ExeOf;

namespace {

class RenamedExecutable : public ProgramTest {};

}  // namespace

TEST_F(RenamedExecutable, AutoRunStartsThePanelFromTheCopy) {
    namespace fs = std::filesystem;
    // The copy finds its libraries as the original does, in ../lib beside its folder.
    const std::string install = env.root() + "renamed/";
    fs::create_directories(install + "bin");
    fs::create_directory_symlink(fs::canonical(BinDir() + "../lib"), install + "lib");
    const std::string copy = install + "bin/vantrel.v2";
    fs::copy_file(BinDir() + "vantrel", copy);

    BoxSim sim({"--box", "io,speed=9600,com=3"});
    ASSERT_TRUE(sim.ready());
    // The launcher ini is named after "vantrel", the part before the last dot.
    fs::create_directories(env.settingsFolder());
    WriteFile(env.settingsFolder() + "vantrel.ini",
              "[Option]\r\nAutoRun=1\r\nCh1_COM=3\r\nCh1_MODE=1\r\n");
    const pid_t launcher = testkit::SpawnProgram(copy, {copy}, env.root() + "launcher.out");
    ASSERT_GT(launcher, 0);

    ASSERT_TRUE(sim.WaitForLog("rx \"I\"", 60000))
        << sim.Log() << ReadFile(env.root() + "launcher.out");
    const std::vector<pid_t> panels = ChildrenOf(launcher);
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(ExeOf(panels[0]), copy);

    ASSERT_EQ(kill(launcher, SIGTERM), 0);
    EXPECT_EQ(WaitForExitCode(launcher, 60000), 0);
    EXPECT_TRUE(WaitFor([&] { return testkit::Ended(panels[0]); }, 30000));
}

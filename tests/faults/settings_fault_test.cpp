// Settings that cannot be written while the launcher and a panel close: the launcher writes its
// ini and the panel its own as their windows close. A write that fails must leave the old file
// whole (no truncated or half-written ini, no temporary file left beside it), and the processes
// must still close cleanly, the panel reporting child status 3.
//
// The failing write is made three ways: a settings folder without write permission (root
// ignores that, so the case is skipped for root), a file size limit of a few bytes set on the
// running processes (RLIMIT_FSIZE, which binds root too and fails a write as a full disk would),
// and a panel ini whose path is a folder.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "device/box_sim_helper.h"
#include "statlink.h"
#include "support/child_process.h"
#include "testkit/proc_info.h"

using testkit::ChildrenOf;
using testkit::FolderEntries;
using testkit::ReapUntilEnded;

namespace {

// Every entry of a folder with its content ("<folder>" for a folder).
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : FolderEntries(folder)) {
        struct stat st {};
        const std::string path = folder + name;
        files[name] =
            stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? "<folder>" : ReadFile(path);
    }
    return files;
}

const char kLauncherIni[] =
    "[System]\r\nLeft=-30000\r\nTop=30\r\n"
    "; written by hand, kept by every rewrite\r\n"
    "[Option]\r\nCom=1\r\nAutoCom=1\r\nAutoRun=1\r\nTxOnly=0\r\n"
    "Ch1_COM=3\r\nCh1_MODE=3\r\nCh2_COM=2\r\nCh2_MODE=4\r\n"
    "Ch3_COM=3\r\nCh3_MODE=4\r\nCh4_COM=4\r\nCh4_MODE=4\r\n";

// Range 0 here; the panel saves the range it has at close, and its placement. The windows are
// placed off the screen, so closing them writes a new left edge into both files.
const char kAdIni[] =
    "[System]\r\nLeft=-30000\r\nTop=60\r\n"
    "; the A/D panel on COM3\r\n"
    "[Setting]\r\nRange=0\r\n";

class SettingsFaultTest : public ProgramTest {
  protected:
    SettingsFaultTest() { std::filesystem::create_directories(Folder()); }

    std::string Folder() const { return env.settingsFolder(); }

    // A launcher whose auto-run starts an A/D panel on COM3 (channel 0). Once the panel polls,
    // `block` makes writing fail; then the launcher gets SIGTERM and both close. Returns the
    // settings folder as it was just before the close.
    std::map<std::string, std::string> CloseWhileWritesFail(
        const std::function<void(pid_t launcher, pid_t panel)>& block) {
        // Orphaned panels come to this process; a size limit must fail a write, not kill.
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        signal(SIGXFSZ, SIG_IGN);
        BoxSim sim({"--box", "ad,speed=19200,com=3"});
        EXPECT_TRUE(sim.ready());
        WriteFile(Folder() + "vantrel.ini", kLauncherIni);
        WriteFile(Folder() + "vantrelAD3.ini", kAdIni);
        const pid_t launcher = StartProgram("vantrel", {}, env.root() + "launcher.out");
        EXPECT_GT(launcher, 0);
        EXPECT_TRUE(sim.WaitForLog("rx \"U7\"", 60000)) << sim.Log();
        const std::vector<pid_t> panels = ChildrenOf(launcher);
        EXPECT_EQ(panels.size(), 1u);
        if (panels.size() != 1) return {};
        SleepForMs(300);
        block(launcher, panels[0]);
        const std::map<std::string, std::string> before = Snapshot(Folder());

        EXPECT_EQ(kill(launcher, SIGTERM), 0);
        bool allEnded = false;
        const std::map<pid_t, int> exitCodes =
            ReapUntilEnded({launcher, panels[0]}, 60000, &allEnded);
        EXPECT_TRUE(allEnded);
        const int launcherExit = exitCodes.count(launcher) ? exitCodes.at(launcher) : -1;
        const int panelExit = exitCodes.count(panels[0]) ? exitCodes.at(panels[0]) : -1;
        EXPECT_EQ(launcherExit, 0);
        // Reaped here unless the launcher reaped it before it ended.
        if (panelExit != -1) {
            EXPECT_EQ(panelExit, 0);
        }
        EXPECT_EQ(slk_GetChildSta(0), 3);
        return before;
    }
};

void LimitFileSize(pid_t pid, rlim_t bytes) {
    const rlimit limit{bytes, bytes};
    ASSERT_EQ(prlimit(pid, RLIMIT_FSIZE, &limit, nullptr), 0);
}

}  // namespace

TEST_F(SettingsFaultTest, FullDiskWhileClosingKeepsTheOldIniFilesWhole) {
    const auto before = CloseWhileWritesFail([](pid_t launcher, pid_t panel) {
        LimitFileSize(launcher, 8);
        LimitFileSize(panel, 8);
    });
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(ReadFile(Folder() + "vantrel.ini"), kLauncherIni);
    EXPECT_EQ(ReadFile(Folder() + "vantrelAD3.ini"), kAdIni);
    // Nothing else changed either: no half-written file, no temporary left behind.
    EXPECT_EQ(Snapshot(Folder()), before);
}

TEST_F(SettingsFaultTest, ReadOnlySettingsFolderWhileClosingKeepsTheOldIniFilesWhole) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into a folder without write permission; the size-limit "
                        "case (FullDiskWhileClosing...) covers a failing write for root";
    }
    const auto before =
        CloseWhileWritesFail([this](pid_t, pid_t) { ASSERT_EQ(chmod(Folder().c_str(), 0555), 0); });
    chmod(Folder().c_str(), 0755);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(ReadFile(Folder() + "vantrel.ini"), kLauncherIni);
    EXPECT_EQ(ReadFile(Folder() + "vantrelAD3.ini"), kAdIni);
    EXPECT_EQ(Snapshot(Folder()), before);
}

TEST_F(SettingsFaultTest, ControlRunRewritesTheIniFiles) {
    // The same close without a fault writes the new left edges into both files, so the cases
    // above test writes that were really attempted.
    CloseWhileWritesFail([](pid_t, pid_t) {});
    const std::string launcherIni = ReadFile(Folder() + "vantrel.ini");
    const std::string adIni = ReadFile(Folder() + "vantrelAD3.ini");
    EXPECT_EQ(launcherIni.find("Left=-30000"), std::string::npos) << launcherIni;
    EXPECT_EQ(adIni.find("Left=-30000"), std::string::npos) << adIni;
    EXPECT_NE(launcherIni.find("; written by hand"), std::string::npos);
    EXPECT_NE(adIni.find("; the A/D panel on COM3"), std::string::npos);
}

TEST_F(SettingsFaultTest, PanelIniThatIsAFolder) {
    BoxSim sim({"--box", "ad,speed=19200,com=3"});
    ASSERT_TRUE(sim.ready());
    ASSERT_TRUE(std::filesystem::create_directory(Folder() + "vantrelAD3.ini"));
    const pid_t pid = StartProgram("vantrel", {"/3", "/QVX-AD", "/0"}, env.root() + "panel.out");
    ASSERT_GT(pid, 0);
    // The range falls back to its default (-10..10 V: "B" commands).
    ASSERT_TRUE(sim.WaitForLog("rx \"B7\"", 60000)) << sim.Log();
    slk_SetMainSta(0, 1);
    EXPECT_EQ(WaitForExitCode(pid, 60000), 0);
    EXPECT_EQ(slk_GetChildSta(0), 3);
    EXPECT_TRUE(std::filesystem::is_directory(Folder() + "vantrelAD3.ini"));
    EXPECT_TRUE(FolderEntries(Folder() + "vantrelAD3.ini").empty());
}

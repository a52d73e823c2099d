// The status words live only while some process uses them. A launcher closed under a running
// panel, the panel then ended: the next launcher finds nothing of theirs. A panel started by hand
// after a launcher closed does not take that launcher's end requests. This test process stays
// off the words until the processes under test have taken them, so it keeps nothing alive.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/types.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "coordination/StatusWords.h"
#include "device/box_sim_helper.h"
#include "support/child_process.h"
#include "testkit/proc_info.h"

using testkit::ChildrenOf;
using testkit::Ended;
using testkit::ReapUntilEnded;

namespace {

// True while pid holds a shared flock, which every user of the status words holds on their
// segment (a panel's port lock is exclusive).
bool HoldsSharedFlock(pid_t pid) {
    std::istringstream locks(ReadFile("/proc/locks"));
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, advisory, mode;
        pid_t holder = 0;
        fields >> number >> kind >> advisory >> mode >> holder;
        if (kind == "FLOCK" && mode == "READ" && holder == pid) return true;
    }
    return false;
}

class LauncherRestart : public IsolatedTest {
  protected:
    LauncherRestart() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Panels outliving their launcher come to this process, which then reaps them.
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        std::filesystem::create_directories(env.settingsFolder());
    }
    ~LauncherRestart() override { prctl(PR_SET_CHILD_SUBREAPER, 0); }

    std::string Ini() const { return env.settingsFolder() + "vantrel.ini"; }
    std::string Out(int n) const { return env.root() + "launcher" + std::to_string(n) + ".out"; }

    // A launcher window with the real program as its panel executable; returns once it runs.
    pid_t StartLauncher(int n, const std::string& optionLines) {
        WriteFile(Ini(), "[Option]\r\n" + optionLines);
        const pid_t pid =
            StartProgram("vantrel-launcher-host", {Ini(), BinDir() + "vantrel"}, Out(n));
        if (pid <= 0 ||
            !WaitFor([&] { return ReadFile(Out(n)).find("ready\n") != std::string::npos; },
                     60000)) {
            return -1;
        }
        return pid;
    }

    // Closes a launcher as its Close button does and returns its log lines (without stamps).
    std::vector<std::string> CloseLauncher(pid_t pid, int n) {
        EXPECT_EQ(kill(pid, SIGTERM), 0);
        EXPECT_EQ(WaitForExitCode(pid, 60000), 0);
        std::vector<std::string> lines;
        std::istringstream out(ReadFile(Out(n)));
        std::string line;
        while (std::getline(out, line)) {
            if (line.rfind("log ", 0) == 0)
                lines.push_back(line.substr(4 + 21));  // stamp, 2 blanks
        }
        return lines;
    }

    // The one panel the launcher has started, once its box is identified; -1 when none comes.
    static pid_t PanelOf(pid_t launcher, const BoxSim& sim, int identified) {
        std::vector<pid_t> children;
        WaitFor([&] { return (children = ChildrenOf(launcher)).size() == 1; }, 60000);
        if (children.size() != 1) return -1;
        WaitFor([&] { return sim.CountInLog("rx \"U0\"") == identified; }, 60000);
        UsesTheWords(children[0]);
        return children[0];
    }

    // Gives a panel a moment to take the words: it holds their shared lock from its start.
    static void UsesTheWords(pid_t pid) {
        WaitFor([&] { return HoldsSharedFlock(pid); }, 5000);
    }

    void ExpectEnded(pid_t pid) {
        bool allEnded = false;
        const auto codes = ReapUntilEnded({pid}, 60000, &allEnded);
        EXPECT_TRUE(allEnded);
        if (codes.count(pid)) {
            EXPECT_EQ(codes.at(pid), 0);
        }
    }
};

// End lines and error lines carry "Ch[" (start lines "CH[").
void ExpectNoEndOrErrorLine(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) EXPECT_EQ(line.find("Ch["), std::string::npos) << line;
}

}  // namespace

TEST_F(LauncherRestart, ANewLauncherFindsNothingOfTheLastRun) {
    BoxSim sim({"--box", "da,speed=9600,com=4"});
    ASSERT_TRUE(sim.ready());
    const std::string row = "AutoRun=1\r\nCh1_COM=4\r\nCh1_MODE=2\r\n";

    // The first launcher closes under its running panel, which then ends on its request.
    const pid_t first = StartLauncher(1, row);
    ASSERT_GT(first, 0);
    const pid_t oldPanel = PanelOf(first, sim, 1);
    ASSERT_GT(oldPanel, 0);
    CloseLauncher(first, 1);
    ExpectEnded(oldPanel);

    // The next one starts the row again: no end line for the old panel (nor a stopped row over
    // the new one), no error line.
    const pid_t second = StartLauncher(2, row);
    ASSERT_GT(second, 0);
    // Its box identified: the launcher's supervision has long made its first passes.
    const pid_t newPanel = PanelOf(second, sim, 2);
    ASSERT_GT(newPanel, 0);
    SleepForMs(200);
    EXPECT_FALSE(Ended(newPanel));
    const std::vector<std::string> lines = CloseLauncher(second, 2);
    ExpectNoEndOrErrorLine(lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("開始"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "QVX-D/Aの処理を開始しました。CH[0] COM[4]");
    ExpectEnded(newPanel);
}

TEST_F(LauncherRestart, APanelStartedByHandAfterALauncherClosedRuns) {
    BoxSim sim({"--box", "da,speed=9600,com=4"});
    ASSERT_TRUE(sim.ready());
    // A launcher without panels closes: it asks every channel to end, and nobody is left.
    const pid_t launcher = StartLauncher(1, "AutoRun=0\r\n");
    ASSERT_GT(launcher, 0);
    CloseLauncher(launcher, 1);

    const pid_t panel = StartProgram("vantrel", {"/4", "/QVX-DA", "/0"}, env.root() + "panel.out");
    ASSERT_GT(panel, 0);
    ASSERT_TRUE(sim.WaitForLog("rx \"U0\"", 60000)) << sim.Log();
    UsesTheWords(panel);
    SleepForMs(1000);
    EXPECT_FALSE(Ended(panel)) << "the panel took the closed launcher's end request";

    // It shares its words with whoever comes now, and ends on a new request.
    EXPECT_EQ(GetMainStatus(0), 0);
    SetMainStatus(0, status::kMainEnd);
    EXPECT_EQ(WaitForExitCode(panel, 60000), 0);
    EXPECT_EQ(GetChildStatus(0), status::kChildEnded);
}

TEST_F(LauncherRestart, APanelWhoseLauncherClosesWhileItIdentifiesItsBoxStillEnds) {
    // At 115200 bit/s the box answers only the fourth probe speed, after three time-outs.
    BoxSim sim({"--box", "da,speed=115200,com=4"});
    ASSERT_TRUE(sim.ready());
    const pid_t launcher = StartLauncher(1, "AutoRun=1\r\nCh1_COM=4\r\nCh1_MODE=2\r\n");
    ASSERT_GT(launcher, 0);
    std::vector<pid_t> children;
    ASSERT_TRUE(WaitFor([&] { return (children = ChildrenOf(launcher)).size() == 1; }, 60000));
    const pid_t panel = children[0];
    // The panel takes part in the words from its start, before its box has answered ...
    ASSERT_TRUE(WaitFor([&] { return HoldsSharedFlock(panel); }, 60000));
    EXPECT_EQ(sim.CountInLog("rx \"U0\""), 0);
    // ... so the end request of its launcher, closed now, is still there when it looks.
    CloseLauncher(launcher, 1);
    ExpectEnded(panel);
    EXPECT_EQ(sim.CountInLog("rx \"U0\""), 1);
}

// The README's first command, scripts/run, on a machine without hardware: simulated boxes on
// COM1 to COM3, the launcher with auto-run starts the three panels, and Ctrl-C or closing the
// launcher ends everything and removes the demo's temporary folders. Without a display it says
// so and fails.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "testkit/proc_info.h"

extern char** environ;

namespace {

using testkit::ArgumentsOf;
using testkit::CatchesSigterm;
using testkit::ChildrenOf;
using testkit::Ended;
using testkit::ExeOf;
using testkit::ReapWithin;
using testkit::SpawnProgram;
using testkit::StopProcess;

const std::string kScript = VANTREL_SOURCE_DIR "/scripts/run";

// The command line of pid after argv[0], words separated by blanks.
std::string Arguments(pid_t pid) {
    std::string args = ArgumentsOf(pid);
    for (char& c : args) {
        if (c == '\0') c = ' ';
    }
    while (!args.empty() && args.back() == ' ') args.pop_back();
    return args;
}

class DemoScript : public IsolatedTest {
  protected:
    void TearDown() override {
        // SIGTERM: the script's own clean-up ends what it started.
        if (script_ > 0) StopProcess(script_, 60000);
    }

    // Starts scripts/run on this build with extra environment settings ("NAME=value", or
    // "NAME" to remove the variable); its output goes to output().
    void Start(const std::vector<std::string>& changes) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            bool changed = false;
            for (const auto& c : changes) changed |= c.substr(0, c.find('=')) == name;
            if (!changed) env.push_back(entry);
        }
        for (const auto& c : changes) {
            if (c.find('=') != std::string::npos) env.push_back(c);
        }
        env.push_back(std::string("VANTREL_BUILD=") + VANTREL_BUILD_DIR);
        script_ = SpawnProgram("/bin/bash", {"/bin/bash", kScript}, output(), &env);
        ASSERT_GT(script_, 0);
    }

    // Waits for the script to end and returns the code it exited with: -1 on a time-out, and
    // for a signal too, so that 130 means its own Ctrl-C trap ran, not a death by SIGINT.
    int Finish(int timeoutMs = 60000) {
        if (ReapWithin(script_, timeoutMs, &status_) != script_) return -1;
        script_ = -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

    std::string output() const { return env.root() + "run.out"; }

    // The demo's temporary folder, from the script's "COM port folder <dir>/ports" line.
    std::string DemoFolder() const {
        const std::string out = ReadFile(output());
        const std::string tag = "COM port folder ";
        const size_t at = out.find(tag);
        if (at == std::string::npos) return "";
        const size_t end = out.find("/ports", at);
        return end == std::string::npos ? "" : out.substr(at + tag.size(), end - at - tag.size());
    }

    // The launcher the script started, and its panels.
    pid_t Launcher() const {
        for (const pid_t child : ChildrenOf(script_)) {
            if (ExeOf(child) == BinDir() + "vantrel") return child;
        }
        return -1;
    }

    pid_t script_ = -1;
    int status_ = 0;
};

TEST_F(DemoScript, BringsUpThreePanelsOnSimulatedBoxesAndCtrlCCleansUp) {
    Start({"QT_QPA_PLATFORM=offscreen", "DISPLAY", "WAYLAND_DISPLAY"});
    pid_t launcher = -1;
    std::vector<std::string> panels;
    std::vector<pid_t> panelPids;
    const bool up = WaitFor(
        [&] {
            launcher = Launcher();
            if (launcher < 0) return false;
            panels.clear();
            panelPids.clear();
            for (const pid_t p : ChildrenOf(launcher)) {
                // A child just spawned may not show its own command line yet.
                const std::string args = Arguments(p);
                if (Ended(p) || args.empty() || args[0] != '/') continue;
                panels.push_back(args);
                panelPids.push_back(p);
            }
            return panels.size() == 3;
        },
        120000);
    ASSERT_TRUE(up) << ReadFile(output());
    // Auto-run started the rows in order: A/D on COM1, D/A on COM2, I/O on COM3.
    std::sort(panels.begin(), panels.end());
    EXPECT_EQ(panels,
              (std::vector<std::string>{"/1 /QVX-AD /0", "/2 /QVX-DA /1", "/3 /QVX-IO /2"}));

    const std::string demo = DemoFolder();
    ASSERT_FALSE(demo.empty()) << ReadFile(output());
    for (const char* com : {"COM1", "COM2", "COM3"}) {
        EXPECT_TRUE(PathExists(demo + "/ports/" + com)) << com;
    }
    // Each panel holds its simulated box's port open.
    for (const pid_t p : panelPids) {
        EXPECT_TRUE(WaitFor(
            [&] {
                for (int fd = 0; fd < 64; ++fd) {
                    char buf[256] = {};
                    const std::string link =
                        "/proc/" + std::to_string(p) + "/fd/" + std::to_string(fd);
                    if (readlink(link.c_str(), buf, sizeof buf - 1) > 0 &&
                        std::strncmp(buf, "/dev/pts/", 9) == 0) {
                        return true;
                    }
                }
                return false;
            },
            60000))
            << Arguments(p);
    }

    // Ctrl-C: the launcher closes, its panels end, the boxes go, the folders are removed.
    ASSERT_EQ(kill(script_, SIGINT), 0);
    EXPECT_EQ(Finish(), 130) << ReadFile(output());
    // The script waits for the launcher but not for the panels, which may still be closing.
    EXPECT_TRUE(WaitFor([&] { return Ended(launcher); }, 30000));
    for (const pid_t p : panelPids) EXPECT_TRUE(WaitFor([&] { return Ended(p); }, 30000)) << p;
    EXPECT_FALSE(PathExists(demo));
}

TEST_F(DemoScript, ClosingTheLauncherEndsTheDemo) {
    Start({"QT_QPA_PLATFORM=offscreen", "DISPLAY", "WAYLAND_DISPLAY"});
    pid_t launcher = -1;
    ASSERT_TRUE(WaitFor(
        [&] {
            launcher = Launcher();
            return launcher > 0 && ChildrenOf(launcher).size() == 3 && CatchesSigterm(launcher);
        },
        120000))
        << ReadFile(output());
    const std::string demo = DemoFolder();
    ASSERT_FALSE(demo.empty());
    // The launcher closes on SIGTERM as on its Close button.
    ASSERT_EQ(kill(launcher, SIGTERM), 0);
    EXPECT_EQ(Finish(), 0) << ReadFile(output());
    EXPECT_FALSE(PathExists(demo));
}

TEST_F(DemoScript, WithoutADisplayItSaysSoAndFails) {
    Start({"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
    EXPECT_EQ(Finish(), 1);
    EXPECT_NE(ReadFile(output()).find("no display"), std::string::npos) << ReadFile(output());
}

}  // namespace

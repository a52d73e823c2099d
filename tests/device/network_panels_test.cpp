// The three panels as real processes on a network entry served by ser2net: they run as over the
// box's local entry, byte for byte at the box, and a server that ends mid-run reports as an
// unplugged box does.
#include <string>
#include <vector>

#include "device/served_box.h"
#include "statlink.h"
#include "support/child_process.h"
#include "testkit/proc_info.h"

namespace {

// Runs of poll and answer ("rx "I"", "tx "Ixx"") shrink to one: how many polls fit between two
// clicks depends on the machine, not on the link.
std::vector<std::string> WithoutRepeatedPolls(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool poll = lines[i] == "rx \"I\"" && i + 1 < lines.size();
        if (poll && out.size() >= 2 && out[out.size() - 2] == lines[i] &&
            out.back() == lines[i + 1]) {
            ++i;
            continue;
        }
        out.push_back(lines[i]);
    }
    return out;
}

}  // namespace

class NetworkPanelsTest : public IsolatedTest {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_SER2NET();
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("VANTREL_PANEL_HOST_CLICKS", ClicksFile().c_str(), 1);
    }

    std::string ClicksFile() const { return env.root() + "clicks"; }
    void Click(int id) {
        WriteFile(ClicksFile(), ReadFile(ClicksFile()) + "click " + std::to_string(id) + "\n");
    }

    // Starts a panel on COM<com> through the panel host (vantrel plus clicks on request).
    pid_t StartPanel(int com, const char* mode, int channel) {
        WriteFile(ClicksFile(), "");
        slk_SetMainSta(channel, 0);
        slk_SetChildSta(channel, 0);
        slk_SetChildErr(channel, 0);
        return StartProgram("vantrel-panel-host",
                            {"/" + std::to_string(com), mode, "/" + std::to_string(channel)},
                            env.root() + "panel.out");
    }

    void EndPanel(pid_t pid, int channel) {
        slk_SetMainSta(channel, 1);
        EXPECT_EQ(WaitForExitCode(pid, 60000), 0);
        EXPECT_EQ(slk_GetChildSta(channel), 3);
    }

    // One run of a panel on COM<com>: `drive` makes it work, and returns false when the box did
    // not hear what it should. Returns what the box heard and said in the run.
    template <class Drive>
    std::vector<std::string> Run(ServedBox& box, int com, const char* mode, int channel,
                                 Drive drive) {
        const size_t mark = box.sim().Log().size();
        const pid_t pid = StartPanel(com, mode, channel);
        EXPECT_GT(pid, 0);
        EXPECT_TRUE(drive(mark)) << box.sim().LogFrom(mark);
        EXPECT_EQ(slk_GetChildErr(channel), 0);
        EndPanel(pid, channel);
        return box.Traffic(mark);
    }
};

TEST_F(NetworkPanelsTest, AdPanelCyclesItsInputsAsOverItsLocalEntry) {
    ServedBox box(env, "ad,speed=9600,volts=1/2/3/4/5/6/7/8", 1, 2);
    ASSERT_TRUE(box.ready()) << box.server().output();
    const auto twoCycles = [&](size_t mark) {
        return WaitFor(
            [&] {
                const std::string log = box.sim().LogFrom(mark);
                const size_t first = log.find("tx \"B7");
                return first != std::string::npos &&
                       log.find("tx \"B7", first + 1) != std::string::npos;
            },
            60000);
    };
    // Two whole cycles of the eight inputs, each line as over the pty.
    const auto cut = [](std::vector<std::string> lines) {
        int cycles = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].rfind("tx \"B7", 0) == 0 && ++cycles == 2) {
                lines.resize(i + 1);
                break;
            }
        }
        return lines;
    };
    const std::vector<std::string> local = cut(Run(box, 1, "/QVX-AD", 0, twoCycles));
    const std::vector<std::string> network = cut(Run(box, 2, "/QVX-AD", 0, twoCycles));
    ASSERT_GT(local.size(), 16u);
    EXPECT_EQ(network, local);
}

TEST_F(NetworkPanelsTest, DaPanelSetsValuesAndTakesTheirEchoAsOverItsLocalEntry) {
    ServedBox box(env, "da,speed=19200", 1, 2);
    ASSERT_TRUE(box.ready()) << box.server().output();
    const auto twoValues = [&](size_t mark) {
        if (!box.sim().WaitForLog("rx \"U0\"", 60000, mark)) return false;
        Click(1004);  // "+10V出力"
        if (!box.sim().WaitForLog("tx \"PFFFF\"", 60000, mark)) return false;
        SleepForMs(100);  // the echo taken
        Click(1003);      // "0V出力"
        if (!box.sim().WaitForLog("tx \"P7FFF\"", 60000, mark)) return false;
        SleepForMs(100);
        return true;
    };
    const std::vector<std::string> local = Run(box, 1, "/QVX-DA", 1, twoValues);
    const std::vector<std::string> network = Run(box, 2, "/QVX-DA", 1, twoValues);
    EXPECT_EQ(network, local);
}

TEST_F(NetworkPanelsTest, IoPanelSetsOutputsAndPollsAsOverItsLocalEntry) {
    ServedBox box(env, "io,speed=38400,in=5A", 1, 2);
    ASSERT_TRUE(box.ready()) << box.server().output();
    const auto outputsAndPolls = [&](size_t mark) {
        if (!box.sim().WaitForLog("tx \"O00\"", 60000, mark)) return false;
        // A poll after the start's O00 (the identification's own "I" came before it).
        if (!box.sim().WaitForLog("tx \"I5A\"", 60000, box.sim().Log().size())) return false;
        Click(1009);  // OUT00
        if (!box.sim().WaitForLog("tx \"O01\"", 60000, mark)) return false;
        if (!box.sim().WaitForLog("tx \"I5A\"", 60000, box.sim().Log().size())) return false;
        Click(1006);  // OUT03
        if (!box.sim().WaitForLog("tx \"O09\"", 60000, mark)) return false;
        return box.sim().WaitForLog("tx \"I5A\"", 60000, box.sim().Log().size());
    };
    const std::vector<std::string> local =
        WithoutRepeatedPolls(Run(box, 1, "/QVX-IO", 2, outputsAndPolls));
    std::vector<std::string> network =
        WithoutRepeatedPolls(Run(box, 2, "/QVX-IO", 2, outputsAndPolls));
    // The end comes between two polls or in one: the last poll may or may not be answered.
    if (network.size() == local.size() + 1) network.pop_back();
    if (local.size() == network.size() + 1) network.push_back(local.back());
    EXPECT_EQ(network, local);
}

// ser2net ended under running panels: the A/D and I/O workers report their time-outs (15 and 7)
// as for an unplugged box, and each panel still ends on the launcher's word with status 3.
TEST_F(NetworkPanelsTest, Ser2netEndedMidRunGivesTheUnpluggedBoxErrors) {
    struct Case {
        const char* box;
        const char* mode;
        int channel;
        const char* working;  // three of these: the worker runs
        int code;
    };
    const Case cases[] = {{"ad,speed=19200", "/QVX-AD", 0, "rx \"B7\"", 15},
                          {"io,speed=9600,in=5A", "/QVX-IO", 2, "tx \"I5A\"", 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ServedBox box(env, c.box, 10 + c.channel, 20 + c.channel);
        ASSERT_TRUE(box.ready()) << box.server().output();
        const pid_t pid = StartPanel(20 + c.channel, c.mode, c.channel);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(WaitFor([&] { return box.sim().CountInLog(c.working) >= 3; }, 60000))
            << box.sim().Log();
        EXPECT_EQ(slk_GetChildErr(c.channel), 0);

        box.server().Stop();
        EXPECT_TRUE(WaitFor([&] { return slk_GetChildErr(c.channel) == c.code; }, 30000))
            << "child error " << slk_GetChildErr(c.channel);
        EXPECT_FALSE(testkit::Ended(pid)) << "the panel died with its connection";
        EndPanel(pid, c.channel);
    }
}

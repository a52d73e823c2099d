// The I/O panel's window on the offscreen platform against simulated boxes: the first output
// command, output buttons, lamps, interrupt check boxes, the graph window and its recording,
// and the panel's ends with and without the graph's placement.
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <mutex>
#include <thread>

#include "controls/CButtonEx.h"
#include "controls/CStaticEx.h"
#include "device/box_sim_helper.h"
#include "iograph/CButtonFlag.h"
#include "iograph/CChartLogic.h"
#include "iograph/CDlgIoGraph.h"
#include "iograph/input_sampling.h"
#include "messages/MesTable.h"
#include "panel_test_util.h"
#include "panels/IoWorker.h"
#include "panels/clsDlgIO.h"
#include "platform/posted_event.h"
#include "platform/profile_file.h"
#include "pty_box.h"

namespace {

std::string Text(const QAbstractButton* b) {
    return b->text().toStdString();
}
std::string Text(const QLabel* l) {
    return l->text().toStdString();
}

// The lamps from IN0 to IN7 as one string of "ON"/"OFF" words.
std::string Lamps(const clsDlgIO& panel) {
    std::string s;
    for (int i = 0; i < kIoBits; ++i) s += (i ? " " : "") + Text(panel.Lamp(i));
    return s;
}

// An I/O box played by a thread of the test: it answers the probe and the identification, echoes
// output commands unless told to hold them, and answers polls with its input image.
class ScriptedIoBox {
  public:
    ScriptedIoBox(const std::string& comDir, int com) : box_(comDir, com) {
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedIoBox() {
        stop_ = true;
        thread_.join();
    }
    bool ok() { return box_.ok(); }
    // Output commands are kept instead of echoed while holding.
    void Hold(bool on) { hold_ = on; }
    // Echoes the held commands, in order.
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const std::string& line : held_) box_.Send(line + "\n");
        held_.clear();
    }
    std::vector<std::string> Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

  private:
    void Serve() {
        // Every byte the box ever received is in Pending(); lines are taken from offset on, so
        // the probe's empty line is seen as well.
        size_t offset = 0;
        while (!stop_) {
            const std::string all = box_.Pending();
            const size_t nl = all.find('\n', offset);
            if (nl == std::string::npos) {
                SleepForMs(1);
                continue;
            }
            const std::string line = all.substr(offset, nl - offset);
            offset = nl + 1;
            std::lock_guard<std::mutex> lock(mutex_);
            received_.push_back(line);
            if (line.empty()) {
                box_.Send("?\n");
            } else if (line == "I") {
                box_.Send("I00\n");
            } else if (line[0] == 'O') {
                if (hold_) {
                    held_.push_back(line);
                } else {
                    box_.Send(line + "\n");
                }
            }
        }
    }

    PtyBox box_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> hold_{false};
    std::mutex mutex_;
    std::vector<std::string> received_;
    std::vector<std::string> held_;
};

}  // namespace

class IoPanelTest : public IsolatedTest {};

TEST_F(IoPanelTest, StartsAllOffShowsInputsAndSendsOutputChanges) {
    PanelOnBox<clsDlgIO> setup(env, kRoleIo, "io,speed=9600,in=01", 3, 1);
    ASSERT_TRUE(setup.sim.ready());
    clsDlgIO& panel = setup.Show();

    EXPECT_TRUE(setup.boxes.boxes.empty());
    EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-I/O COM3 9600bps");
    for (int i = 0; i < kIoBits; ++i) {
        EXPECT_EQ(Text(panel.OutputButton(i)), "OFF");
        EXPECT_FALSE(panel.InterruptBox(i)->isChecked());
    }
    // Channel 7 sits on the left, channel 0 on the right.
    EXPECT_LT(panel.OutputButton(7)->x(), panel.OutputButton(0)->x());
    EXPECT_LT(panel.Lamp(7)->x(), panel.Lamp(0)->x());
    EXPECT_EQ(Control<QWidget>(&panel, clsDlgIO::OutputId(3)), panel.OutputButton(3));

    // The first command puts every output off (after the identification's own "I"); the box's
    // echo starts the polling.
    ASSERT_TRUE(setup.sim.WaitForLog("rx \"O00\""));
    EXPECT_TRUE(setup.sim.WaitForLog("rx \"I\"", 30000, setup.sim.Log().find("rx \"O00\"")));

    // Input bit 0 set: IN00 reads "OFF", the others "ON".
    EXPECT_TRUE(WaitForUi([&] { return Lamps(panel) == "OFF ON ON ON ON ON ON ON"; }))
        << Lamps(panel);
    EXPECT_EQ(ioGraphInputs[0], 0);
    EXPECT_EQ(ioGraphInputs[1], 1);

    Click(&panel, clsDlgIO::OutputId(3));
    EXPECT_EQ(Text(panel.OutputButton(3)), "ON");
    EXPECT_TRUE(setup.sim.WaitForLog("rx \"O08\""));
    // A second click before the echo is back would be a failure (error 8): the next poll shows
    // that the worker has taken the echo.
    EXPECT_TRUE(setup.sim.WaitForLog("rx \"I\"", 30000, setup.sim.Log().find("rx \"O08\"")));
    Click(&panel, clsDlgIO::OutputId(3));
    EXPECT_EQ(Text(panel.OutputButton(3)), "OFF");
    EXPECT_TRUE(setup.sim.WaitForLog("rx \"O00\"", 30000, setup.sim.Log().find("rx \"O08\"")));

    setup.sim.Control("io-in 0x80");
    EXPECT_TRUE(WaitForUi([&] { return Lamps(panel) == "ON ON ON ON ON ON ON OFF"; }))
        << Lamps(panel);
    PumpFor(100);
    EXPECT_EQ(slk_GetChildErr(1), 0);
    EXPECT_EQ(setup.settings.workerPhase, IoWorker::kRunning);
}

TEST_F(IoPanelTest, InterruptBoxTurnsPollingIntoReports) {
    PanelOnBox<clsDlgIO> setup(env, kRoleIo, "io,speed=9600", 2, 0);
    ASSERT_TRUE(setup.sim.ready());
    clsDlgIO& panel = setup.Show();
    ASSERT_TRUE(setup.sim.WaitForLog("rx \"I\""));

    Click(&panel, clsDlgIO::InterruptId(0));
    EXPECT_EQ(setup.settings.ioBlock.ioIntEnable[0], 1);
    ASSERT_TRUE(setup.sim.WaitForLog("rx \"W01\""));
    // No more polls once the mask is out: it only leaves once the last poll has its reply, so
    // no poll can follow it on the line.
    PumpFor(300);
    const std::string log = setup.sim.Log();
    EXPECT_EQ(log.find("rx \"I\"", log.find("rx \"W01\"")), std::string::npos) << log;

    // The box reports a masked input's change by itself; the lamp follows.
    setup.sim.Control("io-in 01");
    EXPECT_TRUE(WaitForUi([&] { return Text(panel.Lamp(0)) == "OFF"; }));
    setup.sim.Control("io-in 00");
    EXPECT_TRUE(WaitForUi([&] { return Text(panel.Lamp(0)) == "ON"; }));

    // Clearing the check box sends nothing and the polls resume.
    const size_t mark = setup.sim.Log().size();
    Click(&panel, clsDlgIO::InterruptId(0));
    EXPECT_EQ(setup.settings.ioBlock.ioIntEnable[0], 0);
    EXPECT_TRUE(setup.sim.WaitForLog("rx \"I\"", 30000, mark));
    EXPECT_EQ(setup.sim.Log().find("rx \"W", mark), std::string::npos);
    EXPECT_EQ(slk_GetChildErr(0), 0);
}

TEST_F(IoPanelTest, TwoTogglesBeforeTheEchoGiveErrorEight) {
    ScriptedIoBox box(env.comDir(), 4);
    ASSERT_TRUE(box.ok());
    AppSettings settings = PanelSettings(kRoleIo, 4, 2, env.root());
    RecordedBoxes boxes(2);
    clsDlgIO panel(&settings);
    panel.show();
    ASSERT_TRUE(WaitForUi([&] { return settings.workerPhase == IoWorker::kRunning; }));

    box.Hold(true);
    Click(&panel, clsDlgIO::OutputId(0));
    auto sent = [&](const std::string& command) {
        for (const std::string& line : box.Received()) {
            if (line == command) return true;
        }
        return false;
    };
    ASSERT_TRUE(WaitForUi([&] { return sent("O01"); }));
    Click(&panel, clsDlgIO::OutputId(1));  // before the echo of O01 came back
    box.Release();
    EXPECT_TRUE(WaitForUi([&] { return slk_GetChildErr(2) == IoWorker::kErrorBadEcho; }));
    EXPECT_TRUE(WaitForUi([&] { return settings.workerPhase == IoWorker::kIdle; }));
    // The panel talks to the box no more but stays responsive.
    const size_t count = box.Received().size();
    Click(&panel, clsDlgIO::OutputId(2));
    EXPECT_EQ(Text(panel.OutputButton(2)), "ON");
    PumpFor(200);
    EXPECT_EQ(box.Received().size(), count);
    EXPECT_TRUE(boxes.boxes.empty());  // worker errors show no message box
}

TEST_F(IoPanelTest, SilentBoxGivesTwoMessagesThenFive) {
    AppSettings settings = PanelSettings(kRoleIo, 6, 3, env.root());
    PtyBox box(env.comDir(), 6);  // a port with nothing behind it
    ASSERT_TRUE(box.ok());
    RecordedBoxes boxes(3);
    clsDlgIO panel(&settings);
    panel.show();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].second, 2);
    EXPECT_EQ(boxes.boxes[1].second, 3);
    EXPECT_EQ(boxes.boxes[1].first, GetMesText(3) + " COM[6]");
    EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-I/O COM6 0bps");
    EXPECT_TRUE(WaitForUi([&] { return slk_GetChildErr(3) == IoWorker::kErrorStartNoReply; }));
}

TEST_F(IoPanelTest, GraphRecordsEveryHundredMillisecondsAlsoWhenHidden) {
    PanelOnBox<clsDlgIO> setup(env, kRoleIo, "io,speed=9600,in=04", 3, 1);
    ASSERT_TRUE(setup.sim.ready());
    static uint32_t fakeNow = 1000;
    clsDlgIO& panel = setup.Build();
    panel.clock = [] { return fakeNow; };
    panel.show();
    ASSERT_TRUE(panel.GraphExists());
    CDlgIoGraph* graph = panel.Graph();
    ASSERT_NE(graph, nullptr);
    EXPECT_FALSE(graph->isVisible());  // created hidden
    ASSERT_TRUE(WaitForUi([&] { return Text(panel.Lamp(2)) == "OFF"; }));

    // Shown by the Graph button; RUN starts recording.
    Click(&panel, clsDlgIO::kIdGraph);
    EXPECT_TRUE(graph->isVisible());
    graph->runButton->click();
    ASSERT_EQ(graph->runButton->state, 1);
    EXPECT_EQ(graph->chart->SampleCount(0), 0);

    // Hidden again, it goes on recording: one sample at the first refresh of each 100 ms.
    Click(&panel, clsDlgIO::kIdGraph);
    EXPECT_FALSE(graph->isVisible());
    for (int period = 0; period < 5; ++period) {
        fakeNow += 99;
        panel.Refresh();
        EXPECT_EQ(graph->chart->SampleCount(0), period);
        fakeNow += 1;
        panel.Refresh();
        panel.Refresh();
        EXPECT_EQ(graph->chart->SampleCount(0), period + 1);
    }
    // The samples carry what the lamps show: IN2 off, the others on.
    const SampleRing<short>* in2 = graph->chart->Ring(2);
    const SampleRing<short>* in0 = graph->chart->Ring(0);
    ASSERT_NE(in2, nullptr);
    ASSERT_NE(in0, nullptr);
    EXPECT_EQ(in2->At(in2->Count() - 1), InputOffValue(2));
    EXPECT_EQ(in0->At(in0->Count() - 1), InputOnValue(0));

    // STOP: no more samples.
    graph->runButton->click();
    fakeNow += 500;
    panel.Refresh();
    EXPECT_EQ(graph->chart->SampleCount(0), 5);
}

TEST_F(IoPanelTest, CloseBoxKeepsTheGraphPlacementOtherEndsDoNot) {
    BoxSim sim({"--box", "io,speed=9600,com=3"});
    ASSERT_TRUE(sim.ready());
    const std::string ini = env.root() + "vantrelIO3.ini";
    {
        AppSettings settings = PanelSettings(kRoleIo, 3, 1, env.root());
        RecordedBoxes boxes(1);
        auto* panel = new clsDlgIO(&settings);
        panel->show();
        QPointer<CDlgIoGraph> graph = panel->Graph();
        ASSERT_TRUE(graph);
        panel->close();  // the title-bar close box
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(graph);  // the graph deleted itself
        EXPECT_FALSE(panel->GraphExists());
        delete panel;
        EXPECT_EQ(slk_GetChildSta(1), 3);
    }
    EXPECT_NE(GetPrivateProfileInt("Graph", "Width", -1, ini), -1);
    EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, ini), -1);

    WriteFile(ini, "");
    {
        AppSettings settings = PanelSettings(kRoleIo, 3, 1, env.root());
        RecordedBoxes boxes(1);
        clsDlgIO panel(&settings);
        panel.show();
        QPointer<CDlgIoGraph> graph = panel.Graph();
        Click(&panel, 1);  // Close
        EXPECT_FALSE(panel.isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(graph);
    }
    EXPECT_EQ(GetPrivateProfileInt("Graph", "Width", -1, ini), -1);
    EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, ini), -1);
}

TEST_F(IoPanelTest, GraphButtonStillWorksAfterARefusedCloseEndedTheGraph) {
    AppSettings settings = PanelSettings(kRoleIo, 8, 0, env.root());
    PtyBox box(env.comDir(), 8);
    ASSERT_TRUE(box.ok());
    RecordedBoxes boxes(0);
    clsDlgIO panel(&settings);
    panel.show();
    QPointer<CDlgIoGraph> first = panel.Graph();
    ASSERT_TRUE(first);

    // Enter on a focused output button presses that button and leaves its mark; the close box
    // then ends the graph, and the close itself is swallowed once.
    panel.activateWindow();
    panel.OutputButton(0)->setFocus();
    QTest::keyClick(panel.OutputButton(0), Qt::Key_Return);
    EXPECT_EQ(Text(panel.OutputButton(0)), "ON");
    EXPECT_EQ(panel.keyFlag, 1);
    panel.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(first);
    EXPECT_FALSE(panel.GraphExists());

    // The Graph button makes a new graph window and shows it.
    Click(&panel, clsDlgIO::kIdGraph);
    ASSERT_TRUE(panel.GraphExists());
    ASSERT_NE(panel.Graph(), nullptr);
    EXPECT_TRUE(panel.Graph()->isVisible());
}

TEST_F(IoPanelTest, EscapeAndEnterNeverCloseThePanel) {
    AppSettings settings = PanelSettings(kRoleIo, 9, 0, env.root());
    PtyBox box(env.comDir(), 9);
    ASSERT_TRUE(box.ok());
    RecordedBoxes boxes(0);
    clsDlgIO panel(&settings);
    panel.show();
    panel.activateWindow();
    QTest::keyClick(panel.OutputButton(5), Qt::Key_Escape);
    QTest::keyClick(panel.InterruptBox(5), Qt::Key_Escape);
    QTest::keyClick(panel.InterruptBox(5), Qt::Key_Return);
    PumpFor(20);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.result(), 0);
}

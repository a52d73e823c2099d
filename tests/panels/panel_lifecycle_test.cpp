// The life cycle every panel shares, on real ptys with qvx-boxsim: identification and its
// failures, the worker start, the launcher's close request, and the shutdown.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "device/box_sim_helper.h"
#include "panel_test_util.h"
#include "panels/AdWorker.h"
#include "panels/DaWorker.h"
#include "panels/clsDlgAD.h"
#include "panels/clsDlgDA.h"
#include "platform/profile_file.h"
#include "plotwin.h"
#include "startup/CVantrelApp.h"

class PanelLifecycleTest : public IsolatedTest {};

namespace {

// True when nobody holds the port: it opens, and its exclusive lock is free.
bool PortFree(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
}

bool GraphTerminated() {
    std::string trace(static_cast<size_t>(GraphCallTrace(nullptr, 0)) + 1, '\0');
    GraphCallTrace(trace.data(), static_cast<int>(trace.size()));
    return trace.find("GraphTerminate") != std::string::npos;
}

// Called inside the write of child status 3, before the word changes: what holds then held
// before the end was published, however soon the next step follows.
std::function<void(int channel)> g_beforeEndPublished;

}  // namespace

// Every status write of this program passes here on its way to the status exchange library.
extern "C" int slk_SetChildSta(int channel, int value) {
    using Real = int (*)(int, int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "slk_SetChildSta"));
    if (value == 3 && g_beforeEndPublished) g_beforeEndPublished(channel);
    return real(channel, value);
}

TEST_F(PanelLifecycleTest, BoxPresentRunsUntilClosedAndShutdownLeavesEverythingTidy) {
    BoxSim sim({"--box", "ad,speed=9600,com=3,volts=5/0/0/0/0/0/0/12.5"});
    ASSERT_TRUE(sim.ready());
    AppSettings settings = PanelSettings(kRoleAd, 3, 2, env.root());
    WriteFile(settings.adIni, "[Setting]\r\nRange=0\r\n");
    RecordedBoxes boxes(2);
    auto panel = std::make_unique<clsDlgAD>(&settings);
    EXPECT_FALSE(panel->WorkerCreated());
    panel->show();

    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(panel->windowTitle().toStdString(), "QVX-A/D COM3 9600bps");
    EXPECT_EQ(settings.deviceName, "QVX-A/D");
    EXPECT_EQ(settings.port.baudRate, 9600);
    EXPECT_TRUE(panel->WorkerCreated());
    EXPECT_EQ(panel->stopFlag(), 0);
    EXPECT_EQ(panel->iniFile, settings.adIni);

    // The worker polls, and its refreshes reach the labels.
    ASSERT_TRUE(WaitForUi(
        [&] {
            return panel->CurrentLabel(7)->text() == "12.500V(A00)" &&
                   panel->CurrentLabel(0)->text() == "5.000V(400)";
        },
        20000));
    EXPECT_TRUE(sim.WaitForLog("rx \"U7\""));
    EXPECT_EQ(settings.workerPhase, AdWorker::kCycling);

    // The user picks "-10～10V", then closes the panel.
    Click(panel.get(), clsDlgAD::kIdRangePm10);
    Click(panel.get(), 1);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->stopFlag(), 2);
    EXPECT_FALSE(panel->WorkerCreated());
    EXPECT_EQ(settings.workerPhase, 0);
    EXPECT_EQ(slk_GetChildSta(2), 3);
    EXPECT_EQ(slk_GetChildErr(2), 0);
    EXPECT_FALSE(panel->link().IsOpen());
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, settings.adIni), 1);
    EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, settings.adIni), -1);
    EXPECT_NE(GetPrivateProfileInt("System", "Top", -1, settings.adIni), -1);

    // The port is free again: the exclusive open succeeds.
    SerialLink other;
    SerialPortSettings port;
    port.portNumber = 3;
    port.baudRate = 9600;
    EXPECT_NE(other.Open(port), kNoSerialHandle);
    other.Close();

    // Deleting the panel afterwards does not run the shutdown again.
    slk_SetChildSta(2, 0);
    panel.reset();
    EXPECT_EQ(slk_GetChildSta(2), 0);
}

TEST_F(PanelLifecycleTest, BoxAbsentShowsTwoMessagesThenTheWorkerReportsItsTimeOut) {
    PanelOnBox<clsDlgAD> setup(env, kRoleAd, "ad,speed=9600,fail=silent", 3, 1);
    ASSERT_TRUE(setup.sim.ready());
    clsDlgAD& panel = setup.Show();

    ASSERT_EQ(setup.boxes.boxes.size(), 2u);
    EXPECT_EQ(setup.boxes.boxes[0].first, "QVX本体との通信が失敗しました。 COM[3]");
    EXPECT_EQ(setup.boxes.boxes[0].second, 2);
    EXPECT_EQ(setup.boxes.boxes[1].first, "QVX-A/Dが接続されていません。 COM[3]");
    EXPECT_EQ(setup.boxes.boxes[1].second, 14);
    EXPECT_EQ(slk_GetChildErr(1), 14);
    EXPECT_EQ(setup.settings.port.baudRate, 0);
    EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-A/D COM3 0bps");

    // The worker starts anyway, and its first request times out.
    EXPECT_TRUE(panel.WorkerCreated());
    ASSERT_TRUE(WaitForUi([&] { return slk_GetChildErr(1) == 15; }));
    EXPECT_TRUE(WaitForUi([&] { return setup.settings.workerPhase == 0; }));
    EXPECT_EQ(panel.CurrentLabel(0)->text(), "0.000V(000)");
    panel.done(0);
    EXPECT_EQ(slk_GetChildSta(1), 3);
}

TEST_F(PanelLifecycleTest, AnotherKindOfBoxGivesTheWrongBoxMessageOnly) {
    BoxSim sim({"--box", "da,speed=9600,com=2", "--box", "ad,speed=9600,com=6"});
    ASSERT_TRUE(sim.ready());
    {
        // A D/A box on the A/D panel's port: message 14; the worker still asks it, then gives up.
        AppSettings settings = PanelSettings(kRoleAd, 2, 0, env.root());
        RecordedBoxes boxes(0);
        clsDlgAD panel(&settings);
        panel.show();
        std::string shown;
        for (const auto& box : boxes.boxes) shown += box.first + "\n";
        ASSERT_EQ(boxes.boxes.size(), 1u) << shown << sim.Log();
        EXPECT_EQ(boxes.boxes[0].first, "QVX-A/Dが接続されていません。 COM[2]");
        EXPECT_EQ(boxes.boxes[0].second, 14);
        EXPECT_EQ(settings.deviceName, "QVX-D/A");
        EXPECT_EQ(settings.port.baudRate, 0);
        EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-A/D COM2 0bps");
        EXPECT_TRUE(sim.WaitForLog("[#0 COM2 da] rx \"B0\""));
        EXPECT_TRUE(WaitForUi([&] { return slk_GetChildErr(0) == 15; }));
    }
    EXPECT_EQ(slk_GetChildSta(0), 3);
    {
        // An A/D box on the D/A panel's port: message 9.
        AppSettings settings = PanelSettings(kRoleDa, 6, 3, env.root());
        RecordedBoxes boxes(3);
        clsDlgDA panel(&settings);
        panel.show();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].first, "QVX-D/Aが接続されていません。 COM[6]");
        EXPECT_EQ(boxes.boxes[0].second, 9);
        EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-D/A COM6 0bps");
        EXPECT_TRUE(WaitForUi([&] { return settings.workerPhase == DaWorker::kRunning; }));
    }
    EXPECT_EQ(slk_GetChildSta(3), 3);
}

TEST_F(PanelLifecycleTest, LauncherCloseRequestEndsTheModalRun) {
    BoxSim sim({"--box", "da,speed=115200,com=8"});
    ASSERT_TRUE(sim.ready());
    AppSettings settings = PanelSettings(kRoleDa, 8, 3, env.root());
    RecordedBoxes boxes(3);
    auto panel = std::make_unique<clsDlgDA>(&settings);
    // Once the panel runs, the launcher asks it to end.
    QTimer::singleShot(300, [&] { slk_SetMainSta(3, 1); });
    panel->exec();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(settings.port.baudRate, 115200);
    // The run ended as Close ends it: the shutdown ran before it returned.
    EXPECT_EQ(slk_GetChildSta(3), 3);
    EXPECT_EQ(panel->stopFlag(), 2);
    EXPECT_FALSE(panel->link().IsOpen());
    slk_SetChildSta(3, 0);
    panel.reset();
    EXPECT_EQ(slk_GetChildSta(3), 0);
    EXPECT_EQ(slk_GetChildErr(3), 0);
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, settings.daIni), 1);
}

TEST_F(PanelLifecycleTest, CloseRequestWhileAMessageBoxIsOpenStillEndsThePanel) {
    // Nothing on COM9: the first message box opens and waits for a user who is not there.
    SetMessageBoxHook({});
    AppSettings settings = PanelSettings(kRoleAd, 9, 2, env.root());
    auto panel = std::make_unique<clsDlgAD>(&settings);
    std::string seenBox;
    QTimer::singleShot(300, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seenBox = box->text().toStdString();
        }
        slk_SetMainSta(2, 1);
    });
    panel->exec();
    EXPECT_EQ(seenBox.substr(0, seenBox.find('\n')), "COMのセットアップに失敗しました。 COM[9]");
    EXPECT_EQ(slk_GetChildErr(2), 14);
    panel.reset();
    EXPECT_EQ(slk_GetChildSta(2), 3);
}

TEST_F(PanelLifecycleTest, ClosingWhileTheWorkerWaitsForAReplyEndsCleanly) {
    // The box answers identification and then falls silent, so the first request waits.
    PanelOnBox<clsDlgAD> setup(env, kRoleAd, "ad,speed=9600,fail=silent-after:3", 4, 0);
    ASSERT_TRUE(setup.sim.ready());
    clsDlgAD& panel = setup.Show();
    EXPECT_TRUE(setup.boxes.boxes.empty());
    ASSERT_TRUE(setup.sim.WaitForLog("rx \"B0\""));
    panel.done(0);
    EXPECT_EQ(panel.stopFlag(), 2);
    EXPECT_FALSE(panel.link().IsOpen());
    EXPECT_EQ(slk_GetChildSta(0), 3);
    // The worker ended before its request timed out.
    EXPECT_EQ(slk_GetChildErr(0), 0);
}

TEST_F(PanelLifecycleTest, CloseRequestShutsDownBeforeTheEndIsPublishedAndTheGraphEnds) {
    // The A/D panel process as start-up runs it, ended by the launcher's main word. What holds
    // is noted inside the write of child status 3, and a watcher thread notes the status word
    // the moment the graph component is ended.
    BoxSim sim({"--box", "ad,speed=19200,com=5"});
    ASSERT_TRUE(sim.ready());
    RecordedBoxes boxes(1);
    slk_SetMainSta(1, 0);
    slk_SetChildSta(1, 0);
    GraphCallTraceClear();
    const std::string ini = env.settingsFolder() + "vantrelAD5.ini";
    const std::string port = env.comDir() + "COM5";
    CVantrelApp app;

    struct AtEnd {
        int range = -1;
        int left = -1;
        int32_t workerPhase = -1;
        bool portFree = false;
    } atEnd;
    bool endSeen = false;
    g_beforeEndPublished = [&](int channel) {
        if (channel != 1 || endSeen) return;
        endSeen = true;
        atEnd.range = GetPrivateProfileInt("Setting", "Range", -1, ini);
        atEnd.left = GetPrivateProfileInt("System", "Left", -1, ini);
        atEnd.workerPhase = app.settings().workerPhase;
        atEnd.portFree = PortFree(port);
    };
    std::atomic<int> statusAtGraphEnd{-1};
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done.load() && statusAtGraphEnd == -1) {
            if (GraphTerminated()) statusAtGraphEnd = slk_GetChildSta(1);
            usleep(100);
        }
    });
    // Once the worker polls, the launcher asks the panel to end.
    QTimer ask;
    ask.setInterval(20);
    QObject::connect(&ask, &QTimer::timeout, [&] {
        if (sim.CountInLog("rx \"B7\"") > 0) slk_SetMainSta(1, 1);
    });
    ask.start();
    const TempDir exe;
    EXPECT_FALSE(app.InitInstance({"/5", "/QVX-AD", "/1"}, exe.path() + "vantrel"));
    ask.stop();
    EXPECT_TRUE(WaitFor([&] { return statusAtGraphEnd != -1; }));
    done = true;
    watcher.join();
    g_beforeEndPublished = nullptr;

    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_TRUE(endSeen);
    EXPECT_EQ(atEnd.range, 1);
    EXPECT_NE(atEnd.left, -1);
    EXPECT_EQ(atEnd.workerPhase, 0);
    EXPECT_TRUE(atEnd.portFree);
    EXPECT_EQ(statusAtGraphEnd.load(), 3);
    slk_SetMainSta(1, 0);
}

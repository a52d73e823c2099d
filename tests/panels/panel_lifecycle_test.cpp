// The life cycle every panel shares, on real ptys with qvx-boxsim: identification and its
// failures, the worker start, the launcher's close request, and the shutdown.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <memory>

#include "device/box_sim_helper.h"
#include "panel_test_util.h"
#include "panels/AdWorker.h"
#include "panels/DaWorker.h"
#include "panels/clsDlgAD.h"
#include "panels/clsDlgDA.h"
#include "platform/profile_file.h"

class PanelLifecycleTest : public IsolatedTest {};

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
    BoxSim sim({"--box", "ad,speed=9600,com=3,fail=silent"});
    ASSERT_TRUE(sim.ready());
    AppSettings settings = PanelSettings(kRoleAd, 3, 1, env.root());
    RecordedBoxes boxes(1);
    clsDlgAD panel(&settings);
    panel.show();

    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].first, "QVX本体との通信が失敗しました。 COM[3]");
    EXPECT_EQ(boxes.boxes[0].second, 2);
    EXPECT_EQ(boxes.boxes[1].first, "QVX-A/Dが接続されていません。 COM[3]");
    EXPECT_EQ(boxes.boxes[1].second, 14);
    EXPECT_EQ(slk_GetChildErr(1), 14);
    EXPECT_EQ(settings.port.baudRate, 0);
    EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-A/D COM3 0bps");

    // The worker starts anyway, and its first request times out.
    EXPECT_TRUE(panel.WorkerCreated());
    ASSERT_TRUE(WaitForUi([&] { return slk_GetChildErr(1) == 15; }));
    EXPECT_TRUE(WaitForUi([&] { return settings.workerPhase == 0; }));
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
    // The end of the modal run leaves the window to its owner, who deletes it: the shutdown.
    panel.reset();
    EXPECT_EQ(slk_GetChildSta(3), 3);
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
    BoxSim sim({"--box", "ad,speed=9600,com=4,fail=silent-after:3"});
    ASSERT_TRUE(sim.ready());
    AppSettings settings = PanelSettings(kRoleAd, 4, 0, env.root());
    RecordedBoxes boxes(0);
    clsDlgAD panel(&settings);
    panel.show();
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_TRUE(sim.WaitForLog("rx \"B0\""));
    panel.done(0);
    EXPECT_EQ(panel.stopFlag(), 2);
    EXPECT_FALSE(panel.link().IsOpen());
    EXPECT_EQ(slk_GetChildSta(0), 3);
    // The worker ended before its request timed out.
    EXPECT_EQ(slk_GetChildErr(0), 0);
}

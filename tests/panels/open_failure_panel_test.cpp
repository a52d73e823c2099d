// A panel whose port cannot be opened tells why, below the catalog text, and keeps the system's
// error number in its ini file for the launcher; a later start that opens the port clears it.
// Without $VANTREL_COM_DIR the panel finds its COM entries in the settings folder's "ports/",
// where the launcher's COM selection lists them.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "device/box_sim_helper.h"
#include "panel_test_util.h"
#include "panels/clsDlgAD.h"
#include "panels/clsDlgDA.h"
#include "platform/profile_file.h"

namespace {

class PanelOpenFailure : public IsolatedTest {};

TEST_F(PanelOpenFailure, DeviceGoneIsNamedInTheMessageAndKeptForTheLauncher) {
    const std::string gone = env.root() + "dev/ttyUSB3";
    const std::string entry = env.comDir() + "COM7";
    ASSERT_EQ(symlink(gone.c_str(), entry.c_str()), 0);
    AppSettings settings = PanelSettings(kRoleAd, 7, 1, env.root());
    {
        RecordedBoxes boxes(1);
        clsDlgAD panel(&settings);
        panel.show();
        ASSERT_EQ(boxes.boxes.size(), 2u);
        EXPECT_EQ(boxes.boxes[0].first, "COMのセットアップに失敗しました。 COM[7]\n" + entry +
                                            " -> " + gone + ": " + std::strerror(ENOENT));
        // The number was kept before the launcher could see the error code.
        EXPECT_EQ(boxes.boxes[0].second, 1);
        EXPECT_EQ(GetPrivateProfileInt("System", "OpenErrno", -1, settings.adIni), ENOENT);
        EXPECT_EQ(boxes.boxes[1].first, "QVX-A/Dが接続されていません。 COM[7]");
        panel.done(0);
    }
    // Closing the panel keeps the number beside its placement.
    EXPECT_EQ(GetPrivateProfileInt("System", "OpenErrno", -1, settings.adIni), ENOENT);
    EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, settings.adIni), -1);

    // The box is plugged in again (the simulator replaces the dangling link).
    BoxSim sim({"--box", "ad,com=7"});
    ASSERT_TRUE(sim.ready());
    RecordedBoxes boxes(1);
    settings.deviceName.clear();
    clsDlgAD panel(&settings);
    panel.show();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(GetPrivateProfileInt("System", "OpenErrno", -1, settings.adIni), 0);
    panel.done(0);
}

TEST_F(PanelOpenFailure, NoEntryAndAFileThatIsNoTty) {
    AppSettings settings = PanelSettings(kRoleDa, 4, 0, env.root());
    {
        RecordedBoxes boxes(0);
        clsDlgDA panel(&settings);
        panel.show();
        ASSERT_EQ(boxes.boxes.size(), 2u);
        EXPECT_EQ(boxes.boxes[0].first, "COMのセットアップに失敗しました。 COM[4]\n" +
                                            env.comDir() + "COM4: " + std::strerror(ENOENT));
        panel.done(0);
    }
    const std::string file = env.root() + "not-a-port";
    WriteFile(file, "");
    ASSERT_EQ(symlink(file.c_str(), (env.comDir() + "COM4").c_str()), 0);
    RecordedBoxes boxes(0);
    clsDlgDA panel(&settings);
    panel.show();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].first, "COMのセットアップに失敗しました。 COM[4]\n" + env.comDir() +
                                        "COM4 -> " + file + ": " + std::strerror(ENOTTY));
    EXPECT_EQ(GetPrivateProfileInt("System", "OpenErrno", -1, settings.daIni), ENOTTY);
    panel.done(0);
}

TEST_F(PanelOpenFailure, WithoutComDirThePortsFolderBesideTheSettingsIsUsed) {
    // Settings in their own folder; its "ports/" holds the entry, as on a user's machine.
    const std::string folder = env.settingsFolder();
    std::filesystem::create_directories(folder + "ports");
    BoxSim sim({"--box", "ad,link=" + folder + "ports/COM3"});
    ASSERT_TRUE(sim.ready());
    unsetenv("VANTREL_COM_DIR");
    AppSettings settings = PanelSettings(kRoleAd, 3, 2, folder);
    SerialLink::SetSettingsFolder(folder);  // as start-up does
    RecordedBoxes boxes(2);
    clsDlgAD panel(&settings);
    panel.show();
    setenv("VANTREL_COM_DIR", env.comDir().c_str(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(settings.deviceName, "QVX-A/D");
    panel.done(0);
}

}  // namespace

// The launcher's log line of catalog message 1 (a panel could not open its port) names what the
// system said about the row's COM entry, read from the number the panel kept in its ini file:
// with the supervision pass alone, and with a real panel process under the launcher window.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "coordination/StatusWords.h"
#include "launcher/child_supervision.h"
#include "launcher/open_failure_note.h"
#include "launcher_test_support.h"
#include "messages/MesTable.h"
#include "platform/profile_file.h"

namespace {

class TextSink : public SupervisionSink {
  public:
    void RowsChanged() override {}
    void LogText(const char* text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

TEST(PanelIniOfRow, NamesThePanelFileOfTheRowsTypeAndCom) {
    EXPECT_EQ(PanelIniOfRow("/c/Harbelt/Vantrel/vantrel.ini", kModeAd, 5),
              "/c/Harbelt/Vantrel/vantrelAD5.ini");
    EXPECT_EQ(PanelIniOfRow("/c/vantrel.ini", kModeDa, 12), "/c/vantrelDA12.ini");
    EXPECT_EQ(PanelIniOfRow("/c/vantrel.ini", kModeIo, 1), "/c/vantrelIO1.ini");
    EXPECT_EQ(PanelIniOfRow("/c/vantrel.ini", kModeNone, 1), "");
}

TEST_F(IsolatedTest, SupervisionAddsTheKeptReasonToMessageOneOnly) {
    std::filesystem::create_directories(env.settingsFolder());
    const std::string gone = env.root() + "dev/ttyACM0";
    ASSERT_EQ(symlink(gone.c_str(), (env.comDir() + "COM5").c_str()), 0);
    AppSettings settings;
    settings.launcherIni = env.settingsFolder() + "vantrel.ini";
    settings.chMode = {kModeIo, kModeAd, kModeNone, kModeDa};
    settings.chCom = {2, 5, 7, 9};
    SupervisorShared shared;
    shared.MirrorRows(settings);
    WriteFile(env.settingsFolder() + "vantrelAD5.ini", "[System]\r\nOpenErrno=2\r\n");

    TextSink sink;
    SetChildError(1, 1);
    SupervisePass(shared, settings, sink);
    SetChildError(1, 2);  // no answer: the port opened, nothing to add
    SupervisePass(shared, settings, sink);
    SetChildError(3, 1);  // the D/A panel of COM9 kept nothing
    SupervisePass(shared, settings, sink);
    EXPECT_EQ((std::vector<std::string>{GetMesText(1) + " Ch[2] COM[5] (" + env.comDir() +
                                            "COM5 -> " + gone + ": " + std::strerror(ENOENT) + ")",
                                        GetMesText(2) + " Ch[2] COM[5]",
                                        GetMesText(1) + " Ch[4] COM[9]"}),
              sink.texts);
}

TEST_F(LauncherTest, RealPanelThatCannotOpenItsPortIsLoggedWithTheReason) {
    // The real program as the row's panel; its settings folder is this test's, as the launcher's.
    settings.exePath = BinDir() + "vantrel";
    const std::string gone = env.root() + "dev/ttyUSB0";
    ASSERT_EQ(symlink(gone.c_str(), (env.comDir() + "COM5").c_str()), 0);
    WriteFile(IniPath(), "[Option]\r\nCh1_COM=5\r\nCh1_MODE=3\r\n");
    LoadRecord();
    Open();
    dialog->ConnectChannel(0);

    const std::string expected = GetMesText(1) + " Ch[1] COM[5] (" + env.comDir() + "COM5 -> " +
                                 gone + ": " + std::strerror(ENOENT) + ")";
    EXPECT_TRUE(PumpUntil([&] { return HasLine(LogTexts(*dialog), expected); }, 60000));
    EXPECT_EQ(
        GetPrivateProfileInt("System", "OpenErrno", -1, env.settingsFolder() + "vantrelAD5.ini"),
        ENOENT);

    // The panel waits in its message box; closing the launcher ends it.
    CloseByButton();
    EXPECT_TRUE(WaitFor([] { return GetChildStatus(0) == status::kChildEnded; }, 60000));
}

}  // namespace

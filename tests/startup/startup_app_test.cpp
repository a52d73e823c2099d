#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/SerialLink.h"
#include "launcher/CVantrelDlg.h"
#include "panels/clsDlgAD.h"
#include "panels/clsDlgDA.h"
#include "plotwin.h"
#include "startup/CVantrelApp.h"
#include "startup/RoleDialogs.h"
#include "startup/clsMesDlg.h"
#include "support/test_env.h"

namespace {

std::string GraphTrace() {
    std::vector<char> buf(static_cast<size_t>(GraphCallTrace(nullptr, 0)) + 1);
    GraphCallTrace(buf.data(), static_cast<int>(buf.size()));
    return buf.data();
}

// Closes every modal window start-up opens, noting what it was.
struct SeenWindow {
    std::string objectName;
    std::string caption;
    std::string message;     // the warning dialog's text
    std::string graphTrace;  // the graph calls made before the window was closed
};

class ModalCloser {
  public:
    ModalCloser() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->isVisible() || w == last_) return;
            last_ = w;
            SeenWindow seen{
                w->objectName().toStdString(), w->windowTitle().toStdString(), {}, GraphTrace()};
            if (auto* mes = qobject_cast<clsMesDlg*>(w)) seen.message = mes->message();
            windows.push_back(seen);
            w->close();
        });
        timer_.start();
    }
    std::vector<SeenWindow> windows;

  private:
    QTimer timer_;
    QWidget* last_ = nullptr;
};

class Startup : public IsolatedTest {
  protected:
    TempDir exe;  // stands for the executable's folder
    std::string modulePath() const { return exe.path() + "vantrel"; }

    // Runs start-up as the program would with these arguments.
    std::vector<SeenWindow> Run(CVantrelApp& app, const std::vector<std::string>& args) {
        ModalCloser closer;
        GraphCallTraceClear();
        app.SetRoleDialogFactory(MakeStandInRoleDialog);
        EXPECT_FALSE(app.InitInstance(args, modulePath()));
        return closer.windows;
    }
};

std::string GraphSetupCalls(int com) {
    std::string calls = "GraphDataClear\n";
    for (int n = 1; n <= 8; ++n) {
        calls += "GraphSetParameter " + std::to_string(n) + " " + std::to_string(com) + " CH" +
                 std::to_string(n) + " 500 1\n";
    }
    return calls;
}

}  // namespace

TEST_F(Startup, RolesAndThePathsTheyUse) {
    // An I/O panel: its own COM number in its file, 1 in the others.
    CVantrelApp io;
    std::vector<SeenWindow> seen = Run(io, {"/3", "/QVX-IO", "/0"});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].objectName, "clsDlgIO");
    EXPECT_EQ(seen[0].caption, "QVX-I/O");
    const AppSettings& s = io.settings();
    const std::string cfg = env.settingsFolder();
    EXPECT_EQ(s.role, kRoleIo);
    EXPECT_EQ(s.channelIndex, 0);
    EXPECT_EQ(s.launcherIni, cfg + "vantrel.ini");
    EXPECT_EQ(s.ioIni, cfg + "vantrelIO3.ini");
    EXPECT_EQ(s.adIni, cfg + "vantrelAD1.ini");
    EXPECT_EQ(s.daIni, cfg + "vantrelDA1.ini");
    EXPECT_EQ(s.adGraphIni, cfg + "vantrelADg1.ini");
    EXPECT_EQ(s.graphSeedFile, exe.path() + "PlotwinInitData");
    EXPECT_EQ(s.exePath, exe.path() + "vantrel");
    EXPECT_NE(s.platformCheck, -1);
    EXPECT_FALSE(io.holdsInstanceLock());  // panels take no lock
    EXPECT_EQ(GraphTrace(), "");           // only the A/D panel uses the graph component
    // The panel's ports are found in the settings folder's COM port folder.
    EXPECT_EQ(SerialLink::SettingsFolder(), cfg);

    CVantrelApp da;
    seen = Run(da, {"/+7", "/QVX-DA", "/3"});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].objectName, "clsDlgDA");
    EXPECT_EQ(seen[0].caption, "QVX-D/A");
    EXPECT_EQ(da.settings().daIni, cfg + "vantrelDA7.ini");
    EXPECT_EQ(da.settings().ioIni, cfg + "vantrelIO1.ini");
    EXPECT_EQ(da.settings().channelIndex, 3);

    // The Option section of the launcher ini reaches every role.
    WriteFile(cfg + "vantrel.ini", "[Option]\nCom=7\nTxOnly=1\nCh2_MODE=3\n");
    CVantrelApp launcher;
    seen = Run(launcher, {});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].objectName, "CVantrelDlg");
    EXPECT_EQ(seen[0].caption, "Vantrel");
    EXPECT_EQ(launcher.settings().role, kRoleLauncher);
    EXPECT_EQ(launcher.settings().com, 7);
    EXPECT_EQ(launcher.settings().txOnly, 1);
    EXPECT_EQ(launcher.settings().chMode[1], 3);
    EXPECT_TRUE(launcher.holdsInstanceLock());

    CVantrelApp ad;
    seen = Run(ad, {"/3/QVX-AD/2"});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].objectName, "clsDlgAD");
    EXPECT_EQ(seen[0].caption, "QVX-A/D");
    EXPECT_EQ(ad.settings().txOnly, 1);
    EXPECT_EQ(ad.settings().adIni, cfg + "vantrelAD3.ini");
    EXPECT_EQ(ad.settings().channelIndex, 2);
}

TEST_F(Startup, ALauncherIniBesideTheExecutableKeepsEverythingThere) {
    WriteFile(exe.path() + "vantrel.ini", "[Option]\nAutoRun=1\n");
    CVantrelApp app;
    std::vector<SeenWindow> seen = Run(app, {"/4", "/QVX-AD", "/1"});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].objectName, "clsDlgAD");
    const AppSettings& s = app.settings();
    EXPECT_EQ(s.launcherIni, exe.path() + "vantrel.ini");
    EXPECT_EQ(s.adIni, exe.path() + "vantrelAD4.ini");
    EXPECT_EQ(s.adGraphIni, exe.path() + "vantrelADg4.ini");
    EXPECT_EQ(s.ioIni, exe.path() + "vantrelIO1.ini");
    EXPECT_EQ(s.autoRun, 1);
    EXPECT_EQ(SerialLink::SettingsFolder(), exe.path());
    EXPECT_FALSE(PathExists(env.configHome() + "Harbelt"));
    EXPECT_EQ(s.settingsFallback, "");  // kept there on purpose: nothing to explain
}

TEST_F(Startup, AFailedSettingsFolderWarnsAndFallsBackToTheExecutableFolder) {
    WriteFile(env.root() + "notafolder", "x");
    setenv("XDG_CONFIG_HOME", (env.root() + "notafolder").c_str(), 1);
    CVantrelApp app;
    std::vector<SeenWindow> seen = Run(app, {"/2", "/QVX-IO", "/1"});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].objectName, "clsMesDlg");
    EXPECT_EQ(seen[0].message, "ユーザアプリケーションフォルダの生成に失敗しました。");
    EXPECT_EQ(seen[1].objectName, "clsDlgIO");  // start-up carries on
    EXPECT_EQ(app.settings().launcherIni, exe.path() + "vantrel.ini");
    EXPECT_EQ(app.settings().ioIni, exe.path() + "vantrelIO2.ini");
    // For the launcher's log: why, and which folder could not be made.
    EXPECT_EQ(app.settings().settingsFallback,
              "ユーザアプリケーションフォルダの生成に失敗しました。 " + env.root() +
                  "notafolder/Harbelt/Vantrel/: " + strerror(ENOTDIR));

    // No configuration folder at all.
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "", 1);
    unsetenv("HOME");
    CVantrelApp none;
    seen = Run(none, {"/2", "/QVX-IO", "/1"});
    setenv("HOME", home.c_str(), 1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(
        seen[0].message,
        "Windowsのバージョンの取得もしくは\r\nアプリケーションフォルダの取得に失敗しました。");
    EXPECT_EQ(none.settings().platformCheck, -1);
    EXPECT_EQ(none.settings().settingsFallback,
              "Windowsのバージョンの取得もしくはアプリケーションフォルダの取得に失敗しました。");
    EXPECT_EQ(none.settings().ioIni, exe.path() + "vantrelIO2.ini");
}

TEST_F(Startup, OnlyOneLauncherPerBaseName) {
    CVantrelApp first;
    ASSERT_EQ(Run(first, {}).size(), 1u);
    ASSERT_TRUE(first.holdsInstanceLock());

    // A second launcher warns and ends; it resolves and creates no settings folder.
    setenv("XDG_CONFIG_HOME", (env.root() + "second").c_str(), 1);
    CVantrelApp second;
    std::vector<SeenWindow> seen = Run(second, {"/3", "/qvx-io", "/0"});  // a launcher line
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].objectName, "clsMesDlg");
    EXPECT_EQ(seen[0].message, "vantrelは既に起動しております");
    EXPECT_FALSE(second.holdsInstanceLock());
    EXPECT_TRUE(second.settings().launcherIni.empty());
    EXPECT_FALSE(PathExists(env.root() + "second"));
    EXPECT_TRUE(first.holdsInstanceLock());

    // A panel is not affected, nor is a launcher of another base name.
    CVantrelApp panel;
    seen = Run(panel, {"/3", "/QVX-IO", "/0"});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].objectName, "clsDlgIO");
    CVantrelApp other;
    ModalCloser closer;
    other.SetRoleDialogFactory(MakeStandInRoleDialog);
    other.InitInstance({}, exe.path() + "vantrel-b");
    ASSERT_EQ(closer.windows.size(), 1u);
    EXPECT_EQ(closer.windows[0].objectName, "CVantrelDlg");
}

TEST_F(Startup, GraphComponentOfTheAdPanel) {
    const std::string graphIni = env.settingsFolder() + "vantrelADg5.ini";
    const std::string seed = exe.path() + "PlotwinInitData";
    const std::vector<std::string> args = {"/5", "/QVX-AD", "/1"};

    // Neither file: no initialisation, but cleared and named, and ended after the panel.
    {
        CVantrelApp app;
        std::vector<SeenWindow> seen = Run(app, args);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].graphTrace, GraphSetupCalls(5));
        EXPECT_EQ(GraphTrace(), GraphSetupCalls(5) + "GraphTerminate\n");
        EXPECT_FALSE(PathExists(graphIni));
    }
    // The seed is copied before the component starts on the new file.
    WriteFile(seed, "seed data\n");
    {
        CVantrelApp app;
        std::vector<SeenWindow> seen = Run(app, args);
        ASSERT_EQ(seen.size(), 1u);
        const std::string init = "GraphInitialize 8 500 20001 " + graphIni + "\n";
        EXPECT_EQ(seen[0].graphTrace, init + GraphSetupCalls(5));
        EXPECT_EQ(GraphTrace(), init + GraphSetupCalls(5) + "GraphTerminate\n");
        EXPECT_EQ(ReadFile(graphIni), "seed data\n");
    }
    // An existing file is never overwritten by the seed.
    WriteFile(graphIni, "the user's graph settings\n");
    WriteFile(seed, "another seed\n");
    {
        CVantrelApp app;
        Run(app, args);
        EXPECT_EQ(GraphTrace(), "GraphInitialize 8 500 20001 " + graphIni + "\n" +
                                    GraphSetupCalls(5) + "GraphTerminate\n");
        EXPECT_EQ(ReadFile(graphIni), "the user's graph settings\n");
    }
    // A copy that fails (the seed is a folder) still starts the component on its own file name.
    unlink(graphIni.c_str());
    unlink(seed.c_str());
    mkdir(seed.c_str(), 0700);
    {
        CVantrelApp app;
        Run(app, args);
        EXPECT_EQ(GraphTrace(), "GraphInitialize 8 500 20001 " + graphIni + "\n" +
                                    GraphSetupCalls(5) + "GraphTerminate\n");
        EXPECT_FALSE(PathExists(graphIni));
    }
}

TEST(RoleDialogs, EachRoleGetsItsOwnWindow) {
    AppSettings settings;
    settings.role = kRoleLauncher;
    EXPECT_NE(dynamic_cast<CVantrelDlg*>(MakeRoleDialog(&settings).get()), nullptr);
    settings.role = kRoleDa;
    EXPECT_NE(dynamic_cast<clsDlgDA*>(MakeRoleDialog(&settings).get()), nullptr);
    settings.role = kRoleAd;
    EXPECT_NE(dynamic_cast<clsDlgAD*>(MakeRoleDialog(&settings).get()), nullptr);
}

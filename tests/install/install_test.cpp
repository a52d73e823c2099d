// The installed program, as a user gets it from `cmake --install`: the files land where a
// desktop and the loader look for them, the installed launcher runs on the installed libraries
// (not the build tree's), closes on SIGTERM like its Close button, and starts the installed
// executable as a panel that finds the graph component's seed in the program's data folder.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "coordination/StatusWords.h"
#include "install/installed_tree.h"
#include "platform/profile_file.h"
#include "settings/AppSettings.h"
#include "support/child_process.h"
#include "support/test_env.h"
#include "testkit/proc_info.h"

namespace {

using testkit::ArgumentsOf;
using testkit::CatchesSignals;
using testkit::ExeOf;
using testkit::ExitCodeWithin;

// Starts argv[0] with argv, with nothing in its environment that leads to the build tree; its
// standard output and error go to outFile ("" keeps them). Returns the pid, or -1.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& outFile = "") {
    return SpawnOutsideBuild(argv, VANTREL_BUILD_DIR, outFile);
}

// True once the process has handlers of its own for SIGTERM, SIGINT and SIGHUP, which the
// launcher window sets up at its initialisation.
bool CatchesTerminationSignals(pid_t pid) {
    return CatchesSignals(pid, {SIGTERM, SIGINT, SIGHUP});
}

// The processes running exe with the arguments args (the whole command line after argv[0]).
std::vector<pid_t> ProcessesRunning(const std::string& exe, const std::vector<std::string>& args) {
    std::string tail;
    for (const auto& a : args) tail += a + '\0';
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0 || ExeOf(pid) != exe) continue;
        if (ArgumentsOf(pid) == tail) found.push_back(pid);
    }
    closedir(proc);
    return found;
}

class InstalledVantrel : public IsolatedTest {
  protected:
    // Whatever a failed check left running is ended here: the test's own processes only, found
    // by their pid or by the executable below this test's own prefix.
    void TearDown() override {
        for (int i = 0; i < kChannelCount; ++i) SetMainStatus(i, 1);
        for (const pid_t pid : started_) WaitForExitCode(pid, 0);
        if (prefix_.empty()) return;
        for (const pid_t pid : ProcessesRunning(Bin("vantrel"), {"/1", "/QVX-AD", "/0"})) {
            kill(pid, SIGKILL);
        }
    }

    // Starts a program of the test; its output goes to a file, so no pipe of the test runner
    // is held by it.
    pid_t Start(const std::vector<std::string>& argv, const std::string& outFile) {
        const pid_t pid = Spawn(argv, outFile);
        if (pid > 0) started_.push_back(pid);
        return pid;
    }

    void SetUp() override {
        prefix_ = env.root() + "prefix";
        const std::string log = env.root() + "install.log";
        const pid_t install = Spawn(
            {VANTREL_CMAKE_COMMAND, "--install", VANTREL_BUILD_DIR, "--prefix", prefix_}, log);
        ASSERT_GT(install, 0);
        ASSERT_EQ(WaitForExitCode(install, 120000), 0) << ReadFile(log);
    }

    std::string Bin(const std::string& name) const {
        return prefix_ + "/" VANTREL_INSTALL_BINDIR "/" + name;
    }
    std::string Lib(const std::string& name) const {
        return prefix_ + "/" VANTREL_INSTALL_LIBDIR "/" + name;
    }
    std::string LauncherIni() const { return env.settingsFolder() + "vantrel.ini"; }

    // Starts the installed launcher and waits until its window is up: the single-instance lock
    // is taken and the termination handlers are in place.
    pid_t StartLauncher() {
        const pid_t pid = Start({Bin("vantrel")}, env.root() + "launcher.log");
        EXPECT_GT(pid, 0);
        if (pid <= 0) return pid;
        const bool up = WaitFor(
            [&] {
                return PathExists(env.runtimeDir() + "vantrel.lock") &&
                       CatchesTerminationSignals(pid);
            },
            60000);
        EXPECT_TRUE(up) << ReadFile(env.root() + "launcher.log");
        return pid;
    }

    // Ends the launcher with SIGTERM and expects it to close normally (a death by the signal
    // would give 128 + 15).
    void StopLauncher(pid_t pid) {
        ASSERT_EQ(kill(pid, SIGTERM), 0);
        EXPECT_EQ(ExitCodeWithin(pid, 60000), 0) << ReadFile(env.root() + "launcher.log");
    }

    std::string prefix_;
    std::vector<pid_t> started_;
};

TEST_F(InstalledVantrel, PutsProgramLibrariesSeedAndDesktopFilesInPlace) {
    for (const std::string& program : {Bin("vantrel"), Bin("qvx-boxsim"), Bin("qvx")}) {
        EXPECT_EQ(access(program.c_str(), X_OK), 0) << program;
    }
    // The command-line tool runs from the installed tree; its manual page is installed with
    // the others (compressed).
    const std::string qvxLog = env.root() + "qvx.log";
    EXPECT_EQ(WaitForExitCode(Start({Bin("qvx"), "--version"}, qvxLog), 30000), 0)
        << ReadFile(qvxLog);
    EXPECT_TRUE(PathExists(prefix_ + "/share/man/man1/qvx.1.gz"));
    // Start-up seeds the graph component's file from this one, in the program's data folder
    // (not beside the executable: bin/ holds only programs).
    EXPECT_TRUE(PathExists(prefix_ + "/" VANTREL_INSTALL_DATADIR "/vantrel/PlotwinInitData"));
    EXPECT_FALSE(PathExists(Bin("PlotwinInitData")));
    for (const char* lib : {"libstatlink.so", "libhostprep.so", "libplotwin.so"}) {
        EXPECT_TRUE(PathExists(Lib(lib))) << lib;
    }

    const std::string desktop = ReadFile(prefix_ + "/share/applications/vantrel.desktop");
    EXPECT_NE(desktop.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nExec=vantrel\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nIcon=vantrel\n"), std::string::npos);

    // The icon theme's size folder must match the picture, or desktops scale it wrongly.
    const std::string icon = ReadFile(prefix_ + "/share/icons/hicolor/64x64/apps/vantrel.png");
    ASSERT_GE(icon.size(), 24u);
    EXPECT_EQ(icon.substr(1, 3), "PNG");
    const auto be32 = [&](size_t at) {
        return (static_cast<uint32_t>(static_cast<uint8_t>(icon[at])) << 24) |
               (static_cast<uint32_t>(static_cast<uint8_t>(icon[at + 1])) << 16) |
               (static_cast<uint32_t>(static_cast<uint8_t>(icon[at + 2])) << 8) |
               static_cast<uint32_t>(static_cast<uint8_t>(icon[at + 3]));
    };
    EXPECT_EQ(be32(16), 64u);  // IHDR width
    EXPECT_EQ(be32(20), 64u);  // IHDR height
}

TEST_F(InstalledVantrel, LauncherRunsOnTheInstalledLibrariesAndClosesOnSigterm) {
    const pid_t launcher = StartLauncher();
    ASSERT_GT(launcher, 0);
    // The installed program finds its libraries beside it (its run path), not in the build.
    for (const char* lib : {"libstatlink.so", "libhostprep.so", "libplotwin.so"}) {
        EXPECT_EQ(MappedFrom(launcher, lib), Lib(lib));
    }
    // The words live while some process uses them: this one takes part before the launcher
    // goes, so its end requests stay to be seen.
    EXPECT_EQ(GetMainStatus(0), 0);
    StopLauncher(launcher);

    // It closed as with its Close button: placement and options written.
    EXPECT_NE(GetPrivateProfileInt("System", "Left", -1, LauncherIni()), -1);
    EXPECT_EQ(GetPrivateProfileInt("Option", "AutoRun", -1, LauncherIni()), 0);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch1_MODE", -1, LauncherIni()), 4);
    for (int i = 0; i < kChannelCount; ++i) EXPECT_EQ(GetMainStatus(i), 1);
}

TEST_F(InstalledVantrel, LauncherRunsTheInstalledPanelOnASimulatedBox) {
    const std::string simLog = env.root() + "boxsim.log";
    const pid_t sim = Start({Bin("qvx-boxsim"), "--com-dir", env.comDir(), "--ready-file",
                             env.root() + "ready", "--log", simLog, "--box", "ad,com=1"},
                            env.root() + "boxsim.out");
    ASSERT_GT(sim, 0);
    ASSERT_TRUE(WaitFor([&] { return PathExists(env.root() + "ready"); }, 30000))
        << ReadFile(simLog);

    std::filesystem::create_directories(env.settingsFolder());
    WriteFile(LauncherIni(), "[Option]\r\nAutoRun=1\r\nCh1_COM=1\r\nCh1_MODE=3\r\n");
    const pid_t launcher = StartLauncher();
    ASSERT_GT(launcher, 0);

    // Auto-run started the installed executable as the A/D panel of row 1 on COM1 ...
    std::vector<pid_t> panels;
    ASSERT_TRUE(WaitFor(
        [&] {
            panels = ProcessesRunning(Bin("vantrel"), {"/1", "/QVX-AD", "/0"});
            return panels.size() == 1;
        },
        60000));
    // ... which found the seed in the data folder for its graph component's file, runs on the
    // installed graph library, identified the box and polls its inputs.
    // (The copy is made while the panel starts: the test waits for the whole first line.)
    EXPECT_TRUE(WaitFor([&] {
        return ReadFile(env.settingsFolder() + "vantrelADg1.ini")
                   .rfind("; Settings of the A/D graph window", 0) == 0;
    }));
    EXPECT_TRUE(WaitFor([&] { return !MappedFrom(panels[0], "libplotwin.so").empty(); }));
    EXPECT_EQ(MappedFrom(panels[0], "libplotwin.so"), Lib("libplotwin.so"));
    EXPECT_TRUE(
        WaitFor([&] { return ReadFile(simLog).find("rx \"B7\"") != std::string::npos; }, 60000))
        << ReadFile(simLog);

    // The words live while some process uses them: this one takes part before the launcher
    // goes, or a panel that ends before the first look here would take its status 3 with it.
    EXPECT_EQ(GetChildStatus(0), 0);
    StopLauncher(launcher);
    // The panel ends on its own once the launcher has closed, reporting its end and saving its
    // range.
    EXPECT_TRUE(WaitFor([&] { return GetChildStatus(0) == 3; }, 60000));
    EXPECT_TRUE(WaitFor(
        [&] {
            return ProcessesRunning(Bin("vantrel"), {"/1", "/QVX-AD", "/0"}).empty();
        },
        60000));
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, env.settingsFolder() + "vantrelAD1.ini"),
              1);

    // The simulator removes its link as it ends.
    kill(sim, SIGTERM);
    EXPECT_GE(ExitCodeWithin(sim, 30000), 0);
    EXPECT_FALSE(PathExists(env.comDir() + "COM1"));
}

}  // namespace

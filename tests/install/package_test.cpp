// The Debian package as a user gets it: named after the project's version, its files where
// Debian keeps them, and, unpacked into a temporary folder, a panel that runs on the simulated
// box of the same package with nothing in its environment that leads to the build tree. That
// proves the run paths and the place of the graph component's seed. lintian and appstreamcli
// check it too, where they are installed.
#include <unistd.h>

#include <string>
#include <vector>

#include "coordination/StatusWords.h"
#include "install/installed_tree.h"
#include "support/child_process.h"
#include "support/test_env.h"
#include "testkit/files.h"

namespace {

using testkit::FolderEntries;
using testkit::StopProcess;

constexpr const char* kLibFolder = "/usr/lib/" VANTREL_TRIPLET "/vantrel/";

class DebianPackage : public IsolatedTest {
  protected:
    void SetUp() override {
        const std::string archOut = env.root() + "arch";
        ASSERT_EQ(Run({FindOnPath("dpkg"), "--print-architecture"}, archOut), 0);
        std::string arch = ReadFile(archOut);
        while (!arch.empty() && (arch.back() == '\n' || arch.back() == ' ')) arch.pop_back();
        deb_ = VANTREL_PACKAGE_DIR "vantrel_" VANTREL_VERSION_TEXT "_" + arch + ".deb";
        ASSERT_TRUE(PathExists(deb_)) << "no " << deb_ << " (package_build makes it)";
        root_ = env.root() + "unpacked";
        ASSERT_EQ(Run({FindOnPath("dpkg-deb"), "-x", deb_, root_}, env.root() + "unpack.log"), 0)
            << ReadFile(env.root() + "unpack.log");
    }

    void TearDown() override {
        for (const pid_t pid : started_) StopProcess(pid);
    }

    int Run(const std::vector<std::string>& argv, const std::string& outFile) {
        if (argv[0].empty()) return -1;
        return RunOutsideBuild(argv, VANTREL_BUILD_DIR, outFile);
    }

    // Starts a program of the unpacked package, outside the build tree.
    pid_t Start(const std::vector<std::string>& argv, const std::string& outFile) {
        const pid_t pid = SpawnOutsideBuild(argv, VANTREL_BUILD_DIR, outFile);
        if (pid > 0) started_.push_back(pid);
        return pid;
    }

    // The unpacked simulator with an A/D box on COM1 at 38400 bit/s; its log is boxsim.log.
    void StartBox() {
        const pid_t sim = Start(
            {root_ + "/usr/bin/qvx-boxsim", "--com-dir", env.comDir(), "--ready-file",
             env.root() + "ready", "--log", SimLog(), "--box", "ad,com=1,speed=38400,volts=2.5"},
            env.root() + "boxsim.out");
        ASSERT_GT(sim, 0);
        ASSERT_TRUE(WaitFor([&] { return PathExists(env.root() + "ready"); }))
            << ReadFile(env.root() + "boxsim.out") << ReadFile(SimLog());
    }
    std::string SimLog() const { return env.root() + "boxsim.log"; }

    std::string deb_;
    std::string root_;
    std::vector<pid_t> started_;
};

TEST_F(DebianPackage, HoldsItsFilesWhereDebianKeepsThem) {
    const std::string listing = env.root() + "listing";
    ASSERT_EQ(Run({FindOnPath("dpkg-deb"), "--contents", deb_}, listing), 0);
    const std::string contents = ReadFile(listing);
    std::vector<std::string> expected = {
        "./usr/bin/vantrel",
        "./usr/bin/qvx-boxsim",
        std::string(".") + kLibFolder + "libstatlink.so",
        std::string(".") + kLibFolder + "libhostprep.so",
        std::string(".") + kLibFolder + "libplotwin.so",
        "./usr/share/vantrel/PlotwinInitData",
        "./usr/share/applications/vantrel.desktop",
        "./usr/share/icons/hicolor/64x64/apps/vantrel.png",
        "./usr/share/icons/hicolor/scalable/apps/vantrel.svg",
        "./usr/share/metainfo/com.harbelt.vantrel.metainfo.xml",
        "./usr/share/doc/vantrel/copyright",
        "./usr/share/doc/vantrel/changelog.gz",
    };
    // Every manual page of the sources, compressed.
    for (const std::string& page : FolderEntries(VANTREL_SOURCE_DIR "/docs/man")) {
        if (page.size() > 2 && page.compare(page.size() - 2, 2, ".1") == 0) {
            expected.push_back("./usr/share/man/man1/" + page + ".gz");
        }
    }
    for (const std::string& path : expected) {
        EXPECT_NE(contents.find(" " + path + "\n"), std::string::npos) << path << "\n" << contents;
    }
    // bin/ holds programs only, every one of them runnable.
    for (const std::string& name : FolderEntries(root_ + "/usr/bin")) {
        EXPECT_EQ(access((root_ + "/usr/bin/" + name).c_str(), X_OK), 0) << name;
    }

    // The control data: the version of the build, dependencies found from the binaries.
    const std::string control = env.root() + "control";
    ASSERT_EQ(
        Run({FindOnPath("dpkg-deb"), "--field", deb_, "Package", "Version", "Depends"}, control),
        0);
    const std::string fields = ReadFile(control);
    EXPECT_NE(fields.find("Package: vantrel\n"), std::string::npos) << fields;
    EXPECT_NE(fields.find("Version: " VANTREL_VERSION_TEXT "\n"), std::string::npos) << fields;
    EXPECT_NE(fields.find("libqt6widgets6"), std::string::npos) << fields;
    EXPECT_NE(fields.find("libc6"), std::string::npos) << fields;
}

TEST_F(DebianPackage, UnpackedPanelRunsOnTheUnpackedSimulator) {
    // Nothing of the build tree in reach: not the environment, not the working folder.
    ASSERT_EQ(chdir(env.root().c_str()), 0);
    StartBox();

    const std::string panelLog = env.root() + "panel.log";
    const pid_t panel = Start({root_ + "/usr/bin/vantrel", "/1", "/QVX-AD", "/0"}, panelLog);
    ASSERT_GT(panel, 0);
    // It identified the box and polls its inputs ...
    EXPECT_TRUE(
        WaitFor([&] { return ReadFile(SimLog()).find("rx \"B7\"") != std::string::npos; }, 60000))
        << ReadFile(SimLog()) << ReadFile(panelLog);
    // ... on the package's own libraries, found through its run path ...
    for (const char* lib : {"libstatlink.so", "libhostprep.so", "libplotwin.so"}) {
        EXPECT_EQ(MappedFrom(panel, lib), root_ + kLibFolder + lib);
    }
    // ... and seeded its graph settings from the package's data folder.
    const std::string seed = ReadFile(root_ + "/usr/share/vantrel/PlotwinInitData");
    ASSERT_FALSE(seed.empty());
    const std::string firstLine = seed.substr(0, seed.find('\n') + 1);
    const std::string graphIni = env.settingsFolder() + "vantrelADg1.ini";
    EXPECT_TRUE(WaitFor([&] { return ReadFile(graphIni).rfind(firstLine, 0) == 0; }))
        << ReadFile(graphIni);

    // Asked to end through its status word, it ends normally and reports it.
    SetMainStatus(0, 1);
    EXPECT_EQ(WaitForExitCode(panel, 60000), 0) << ReadFile(panelLog);
    EXPECT_EQ(GetChildStatus(0), 3);
}

TEST_F(DebianPackage, UnpackedQvxIdentifiesTheBox) {
    const std::string qvx = root_ + "/usr/bin/qvx";
    if (!PathExists(qvx)) GTEST_SKIP() << "this package holds no qvx (the tool is not built)";
    ASSERT_EQ(chdir(env.root().c_str()), 0);
    StartBox();
    const std::string out = env.root() + "qvx.out";
    EXPECT_EQ(Run({qvx, "identify", "COM1"}, out), 0) << ReadFile(out);
    EXPECT_NE(ReadFile(out).find("QVX-A/D 38400"), std::string::npos) << ReadFile(out);
}

TEST_F(DebianPackage, LintianFindsNoErrorAndNoWarning) {
    const std::string lintian = FindOnPath("lintian");
    if (lintian.empty()) GTEST_SKIP() << "lintian is not installed (scripts/setup installs it)";
    const std::string out = env.root() + "lintian.out";
    // Warnings fail too: each one is either mended or overridden with its reason.
    EXPECT_EQ(Run({lintian, "--fail-on", "error,warning", deb_}, out), 0) << ReadFile(out);
}

TEST_F(DebianPackage, MetainfoPassesAppstreamValidation) {
    const std::string appstreamcli = FindOnPath("appstreamcli");
    if (appstreamcli.empty()) GTEST_SKIP() << "appstreamcli is not installed (scripts/setup)";
    const std::string out = env.root() + "appstream.out";
    EXPECT_EQ(Run({appstreamcli, "validate", "--no-net",
                   root_ + "/usr/share/metainfo/com.harbelt.vantrel.metainfo.xml"},
                  out),
              0)
        << ReadFile(out);
}

}  // namespace

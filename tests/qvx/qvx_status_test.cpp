// qvx's exit statuses and errors, a port held by another program, ending a run by a signal,
// --help and --version.
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "device/box_sim_helper.h"
#include "platform/serial_port.h"
#include "qvx_run.h"
#include "statlink.h"
#include "support/child_process.h"
#include "vantrel_version.h"

class QvxStatusTest : public IsolatedTest {};

namespace {

// An error is one line on standard error, and nothing is on standard output.
void ExpectOneError(const QvxRun& run, int exitCode, const std::string& part) {
    EXPECT_EQ(run.exitCode, exitCode) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
}

}  // namespace

TEST_F(QvxStatusTest, UsageErrorsExitOne) {
    const std::vector<std::vector<std::string>> usages = {
        {},
        {"read", "COM1"},
        {"ad"},
        {"ad", "COM1", "--range", "both"},
        {"ad", "COM1", "--count", "0"},
        {"ad", "COM1", "--count", "2", "--follow"},
        {"ad", "COM1", "--interval"},
        {"ad", "COM1", "--interval=-1"},
        {"ad", "COM1", "--format", "xml"},
        {"ad", "COM256"},
        {"ad", "ttyUSB0"},
        {"ad", "COM1", "COM2"},
        {"ad", "COM1", "--follow=yes"},
        {"ad", "COM1", "--bogus"},
        {"da", "COM1"},
        {"io", "COM1", "--out", "100"},
        {"io", "COM1", "--count", "3"},
        {"list", "COM1"},
    };
    for (const auto& args : usages) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        SCOPED_TRACE(joined);
        ExpectOneError(RunQvx(args), 1, "qvx");
    }
}

TEST_F(QvxStatusTest, NoPortNoBoxWrongBoxAndABoxThatStopsAnswering) {
    BoxSim sim({"--box", "ad,speed=9600,com=1", "--box", "da,speed=9600,com=2,fail=bad-echo",
                "--box", "io,speed=9600,com=3,fail=silent", "--box", "io,speed=9600,com=4"});
    ASSERT_TRUE(sim.ready());

    // No entry: the system's reason with the entry's path, as the panels tell message 1.
    ExpectOneError(RunQvx({"identify", "COM9"}), 2,
                   "COM setup failed. " + env.comDir() + "COM9: No such file or directory");
    ExpectOneError(RunQvx({"ad", "/dev/qvx-no-such-device"}), 2,
                   "/dev/qvx-no-such-device: No such file or directory");
    ExpectOneError(RunQvx({"io", "COM3"}), 3, "COM3: Communication with the QVX box failed.");
    ExpectOneError(RunQvx({"da", "COM1", "5"}), 3, "QVX-D/A is not connected. (QVX-A/D 9600");
    ExpectOneError(RunQvx({"io", "COM2"}), 3, "QVX-I/O is not connected.");
    ExpectOneError(RunQvx({"ad", "COM4"}), 3, "QVX-A/D is not connected.");
    ExpectOneError(RunQvx({"da", "COM2", "5"}), 4, "QVX-D/A output command failed 2");

    // Identifying an A/D box takes three commands (an I/O box two); the box answers one more,
    // then falls silent.
    ASSERT_TRUE(sim.Control("#0 fail silent-after:4"));
    ASSERT_TRUE(sim.WaitForLog("silent-after"));
    const QvxRun ad = RunQvx({"ad", "COM1", "--follow"});
    ExpectOneError(ad, 4, "COM1: QVX-A/D input check failed (no reply to \"B1\" within 500 ms)");
    ASSERT_TRUE(sim.Control("#3 fail silent-after:2"));
    ASSERT_TRUE(sim.WaitForLog("silent-after:2"));
    ExpectOneError(RunQvx({"io", "COM4", "--out", "ff"}), 4, "QVX-I/O IO output failed");
    ASSERT_TRUE(sim.Control("#3 fail silent-after:3"));
    ASSERT_TRUE(sim.WaitForLog("silent-after:3"));
    ExpectOneError(RunQvx({"io", "COM4", "--out", "ff"}), 4, "QVX-I/O IO input check failed");
}

// A panel holds its port exclusively: qvx says "busy" at once, and the probe of the list too.
TEST_F(QvxStatusTest, APortHeldByARunningPanelIsBusy) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    BoxSim sim({"--box", "ad,speed=19200,com=5", "--box", "io,speed=9600,com=6"});
    ASSERT_TRUE(sim.ready());
    slk_SetMainSta(0, 0);
    const pid_t panel = StartProgram("vantrel", {"/5", "/QVX-AD", "/0"});
    ASSERT_GT(panel, 0);
    ASSERT_TRUE(sim.WaitForLog("rx \"B7\"", 60000));

    // A blocking open would wait here until the time-out and give no exit status.
    const QvxRun held = RunQvx({"ad", "COM5", "--follow"});
    ExpectOneError(held, 2, "COM setup failed.");
    EXPECT_NE(held.err.find("busy"), std::string::npos) << held.err;

    const std::vector<std::string> lines = Lines(OutputOf({"list", "--probe"}));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 6), "  busy");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 14), "  QVX-I/O 9600") << lines[1];

    slk_SetMainSta(0, 1);
    EXPECT_EQ(WaitForExitCode(panel, 60000), 0);
}

// Held by another open of the port, named by its device path this time.
TEST_F(QvxStatusTest, APortOpenedElsewhereIsBusyByItsDevicePathToo) {
    BoxSim sim({"--box", "io,speed=9600,com=8"});
    ASSERT_TRUE(sim.ready());
    char device[4096] = {};
    ASSERT_GT(readlink((env.comDir() + "COM8").c_str(), device, sizeof device - 1), 0);
    // A device path is reached through a folder qvx makes for the run in $TMPDIR.
    TempDir tmp("qvx-tmp");
    const char* oldTmp = getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    setenv("TMPDIR", tmp.path().c_str(), 1);

    const int holder = SpOpenExclusive(device);
    ASSERT_GE(holder, 0);
    ExpectOneError(RunQvx({"identify", device}), 2,
                   std::string(device) + ": Device or resource busy");
    SpClose(holder);
    EXPECT_EQ(OutputOf({"identify", device}), "QVX-I/O 9600\n");
    // ... and removed again, whatever the outcome.
    EXPECT_EQ(testkit::FolderEntries(tmp.path()), std::vector<std::string>{});

    if (oldTmp) {
        setenv("TMPDIR", savedTmp.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

TEST_F(QvxStatusTest, SignalsEndFollowAndWatchAfterACompleteLine) {
    BoxSim sim({"--box", "ad,speed=9600,com=1,volts=1/2/3/4/5/6/7/8", "--box",
                "io,speed=9600,com=2,in=01", "--every", "20:#1 io-walk"});
    ASSERT_TRUE(sim.ready());
    struct Case {
        int signal;
        std::vector<std::string> args;
        size_t fields;  // of every line
    };
    const Case cases[] = {
        {SIGINT, {"ad", "COM1", "--follow", "--interval", "20", "--format", "csv"}, 17},
        {SIGTERM, {"ad", "COM1", "--follow", "--interval", "20"}, 9},
        {SIGINT, {"io", "COM2", "--watch", "--format", "csv"}, 10},
        {SIGTERM, {"io", "COM2", "--watch"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + std::to_string(c.signal));
        QvxProcess run(c.args);
        ASSERT_TRUE(WaitFor([&] { return Lines(run.out()).size() >= 2; }));
        ASSERT_EQ(kill(run.pid(), c.signal), 0);
        EXPECT_EQ(run.Wait(), 0) << run.err();
        const std::string out = run.out();
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.back(), '\n');
        const char separator = c.args.back() == "csv" ? ',' : ' ';
        for (const std::string& line : Lines(out)) {
            size_t fields = 1;
            for (const char ch : line) fields += ch == separator ? 1 : 0;
            EXPECT_EQ(fields, c.fields) << line;
        }
        EXPECT_EQ(run.err(), "");
        // The port was closed: it opens again at once.
        EXPECT_EQ(RunQvx({"identify", c.args[1]}).exitCode, 0);
    }
}

TEST_F(QvxStatusTest, EveryCommandHasHelpAndTheVersionIsTheBuilds) {
    for (const char* command : {"list", "identify", "ad", "da", "io"}) {
        SCOPED_TRACE(command);
        const QvxRun help = RunQvx({command, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out.rfind(std::string("usage: qvx ") + command, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
    }
    EXPECT_EQ(RunQvx({"--help"}).out.rfind("usage: qvx COMMAND", 0), 0u);
    const QvxRun version = RunQvx({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("qvx (Vantrel) ") + VANTREL_VERSION + "\n");
}

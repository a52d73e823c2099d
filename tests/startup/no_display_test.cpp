// Without a display session the real program says so and exits 1 before Qt would abort; with a
// platform that needs no display it runs.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/display_session.h"
#include "support/test_env.h"

extern char** environ;

namespace {

// This process's environment without the variables that name a display or a platform, plus
// extra.
std::vector<std::string> EnvironmentWithoutDisplay(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        const std::string kv = *e;
        const std::string key = kv.substr(0, kv.find('='));
        if (key != "DISPLAY" && key != "WAYLAND_DISPLAY" && key != "QT_QPA_PLATFORM") {
            out.push_back(kv);
        }
    }
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
}

// Sets or unsets the three variables for one check, restoring them afterwards.
class DisplayVariables {
  public:
    DisplayVariables(const char* display, const char* wayland, const char* platform) {
        for (int i = 0; i < 3; ++i) {
            const char* old = std::getenv(kNames[i]);
            saved_[i] = old ? old : "";
            had_[i] = old != nullptr;
        }
        Set(kNames[0], display);
        Set(kNames[1], wayland);
        Set(kNames[2], platform);
    }
    ~DisplayVariables() {
        for (int i = 0; i < 3; ++i) Set(kNames[i], had_[i] ? saved_[i].c_str() : nullptr);
    }

  private:
    static void Set(const char* name, const char* value) {
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    static constexpr const char* kNames[3] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::string saved_[3];
    bool had_[3] = {};
};

}  // namespace

class NoDisplay : public IsolatedTest {};

TEST_F(NoDisplay, WhichPlatformsNeedADisplaySession) {
    {
        DisplayVariables none(nullptr, nullptr, nullptr);
        EXPECT_TRUE(ChosenQtPlatforms({}).empty());
        EXPECT_FALSE(HasDisplaySession({}));  // Qt's default is a desktop platform
        EXPECT_FALSE(HasDisplaySession({"/1", "/QVX-AD", "/0"}));
        EXPECT_TRUE(HasDisplaySession({"-platform", "offscreen"}));
        EXPECT_TRUE(HasDisplaySession({"-platform=vnc:size=800x600"}));
        EXPECT_TRUE(HasDisplaySession({"-display", ":3"}));
        EXPECT_FALSE(HasDisplaySession({"-platform", "xcb"}));
    }
    {
        DisplayVariables empty("", "", "");  // empty counts as unset
        EXPECT_FALSE(HasDisplaySession({}));
    }
    for (const char* platform : {"offscreen", "minimal", "vnc", "linuxfb", "eglfs"}) {
        DisplayVariables headless(nullptr, nullptr, platform);
        EXPECT_TRUE(HasDisplaySession({})) << platform;
    }
    {
        DisplayVariables list(nullptr, nullptr, "wayland;xcb");
        EXPECT_EQ(ChosenQtPlatforms({}), (std::vector<std::string>{"wayland", "xcb"}));
        EXPECT_FALSE(HasDisplaySession({}));
        // The command line's choice comes before the variable's.
        EXPECT_EQ(ChosenQtPlatforms({"-platform", "offscreen:fontconfig"}),
                  std::vector<std::string>{"offscreen"});
        EXPECT_TRUE(HasDisplaySession({"-platform", "offscreen"}));
    }
    {
        DisplayVariables x(":0", nullptr, "xcb");
        EXPECT_TRUE(HasDisplaySession({}));
    }
    {
        DisplayVariables w(nullptr, "wayland-1", nullptr);
        EXPECT_TRUE(HasDisplaySession({}));
    }
    {
        // A Wayland platform asked for by name finds the compositor's default socket.
        DisplayVariables w(nullptr, nullptr, "wayland");
        EXPECT_FALSE(HasDisplaySession({}));
        const std::string socketPath = env.runtimeDir() + "wayland-0";
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << socketPath;
        EXPECT_TRUE(HasDisplaySession({}));
        close(fd);
    }
}

TEST_F(NoDisplay, TheProgramSaysAGraphicalSessionIsNeededAndExitsOne) {
    const std::string out = env.root() + "out.txt";
    const std::vector<std::string> noDisplay = EnvironmentWithoutDisplay();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"vantrel"}, {"vantrel", "/1", "/QVX-DA", "/0"}}) {
        unlink(out.c_str());
        const pid_t pid = testkit::SpawnProgram(BinDir() + "vantrel", args, out, &noDisplay);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(testkit::WaitForExitCode(pid, 30000), 1);  // not 134 (SIGABRT)
        const std::string said = ReadFile(out);
        EXPECT_EQ(said.rfind("vantrel: no display. Vantrel is a desktop program and needs a "
                             "graphical session",
                             0),
                  0u)
            << said;
        EXPECT_NE(said.find("xvfb-run -a vantrel"), std::string::npos) << said;
        EXPECT_EQ(said.find("Reinstalling"), std::string::npos) << said;
    }
    // A platform without a display runs the launcher as ever (ended by SIGTERM like Close).
    const std::vector<std::string> offscreen =
        EnvironmentWithoutDisplay({"QT_QPA_PLATFORM=offscreen"});
    unlink(out.c_str());
    const pid_t pid = testkit::SpawnProgram(BinDir() + "vantrel", {"vantrel"}, out, &offscreen);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(testkit::ExitCodeWithin(pid, 1500), -1) << ReadFile(out);  // still running
    EXPECT_EQ(testkit::StopProcess(pid, 30000), 0);
    EXPECT_EQ(ReadFile(out).find("no display"), std::string::npos);
}

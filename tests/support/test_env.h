// Test isolation: every test gets its own settings folder, COM port folder, status-word
// segment and runtime folder, so tests run in parallel and never touch real settings.
#pragma once

#include <gtest/gtest.h>

#include <string>

// A temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder's path, ending in "/".
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Sets XDG_CONFIG_HOME, XDG_RUNTIME_DIR, VANTREL_COM_DIR and VANTREL_STATLINK to fresh values
// below a temporary folder and restores the old values afterwards. The status-word segment is
// unlinked at the end.
class IsolatedEnv {
  public:
    IsolatedEnv();
    ~IsolatedEnv();
    IsolatedEnv(const IsolatedEnv&) = delete;
    IsolatedEnv& operator=(const IsolatedEnv&) = delete;

    const std::string& root() const { return dir_.path(); }
    std::string configHome() const { return dir_.path() + "config/"; }
    // The per-user settings folder that start-up will choose.
    std::string settingsFolder() const { return configHome() + "Harbelt/Vantrel/"; }
    std::string comDir() const { return dir_.path() + "com/"; }
    std::string runtimeDir() const { return dir_.path() + "run/"; }
    const std::string& statlinkName() const { return statlink_; }

  private:
    TempDir dir_;
    std::string statlink_;
    struct Saved {
        const char* name;
        bool had;
        std::string value;
    };
    Saved saved_[4];
};

// A fixture with an IsolatedEnv.
class IsolatedTest : public ::testing::Test {
  protected:
    IsolatedEnv env;
};

// File helpers.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool PathExists(const std::string& path);

// The folder of the built executables (vantrel, qvx-boxsim, test helpers), ending in "/".
std::string BinDir();

// Polls cond every few milliseconds until it is true or timeoutMs passes. Returns cond().
template <class F>
bool WaitFor(F cond, int timeoutMs = 10000);

void SleepForMs(int ms);
int64_t NowMs();

template <class F>
bool WaitFor(F cond, int timeoutMs) {
    const int64_t end = NowMs() + timeoutMs;
    while (!cond()) {
        if (NowMs() > end) return cond();
        SleepForMs(2);
    }
    return true;
}

#include "testkit/isolated_env.h"

#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>

namespace testkit {

namespace fs = std::filesystem;

namespace {
std::atomic<int> g_counter{0};
}

IsolatedEnv::IsolatedEnv(const std::string& prefix)
    : dir_(prefix),
      saved_{{"XDG_CONFIG_HOME", false, {}},
             {"XDG_RUNTIME_DIR", false, {}},
             {"VANTREL_COM_DIR", false, {}},
             {"VANTREL_STATLINK", false, {}}} {
    for (Saved& s : saved_) {
        const char* v = getenv(s.name);
        s.had = v != nullptr;
        if (v) s.value = v;
    }
    fs::create_directories(configHome());
    fs::create_directories(comDir());
    fs::create_directories(runtimeDir());
    chmod(runtimeDir().c_str(), 0700);
    statlink_ = "/" + prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(++g_counter);
    setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtimeDir().c_str(), 1);
    setenv("VANTREL_COM_DIR", comDir().c_str(), 1);
    setenv("VANTREL_STATLINK", statlink_.c_str(), 1);
}

IsolatedEnv::~IsolatedEnv() {
    shm_unlink(statlink_.c_str());
    shm_unlink((statlink_ + ".watch").c_str());  // the lock of the words' watch duty
    for (const Saved& s : saved_) {
        if (s.had) {
            setenv(s.name, s.value.c_str(), 1);
        } else {
            unsetenv(s.name);
        }
    }
}

}  // namespace testkit

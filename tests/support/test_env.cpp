#include "support/test_env.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "vantrel-test-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = std::string(made) + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make read-only folders of a test writable again so they can be removed.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(path_, ec);
}

namespace {
std::atomic<int> g_counter{0};
}

IsolatedEnv::IsolatedEnv()
    : saved_{{"XDG_CONFIG_HOME", false, {}},
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
    statlink_ = "/vantrel-test-" + std::to_string(getpid()) + "-" + std::to_string(++g_counter);
    setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtimeDir().c_str(), 1);
    setenv("VANTREL_COM_DIR", comDir().c_str(), 1);
    setenv("VANTREL_STATLINK", statlink_.c_str(), 1);
}

IsolatedEnv::~IsolatedEnv() {
    shm_unlink(statlink_.c_str());
    for (const Saved& s : saved_) {
        if (s.had) {
            setenv(s.name, s.value.c_str(), 1);
        } else {
            unsetenv(s.name);
        }
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::string BinDir() {
    const char* dir = getenv("VANTREL_BIN_DIR");
    if (dir && *dir) return std::string(dir) + "/";
    // Fall back to the folder of the running test binary.
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string self(buf, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/') + 1);
}

void SleepForMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

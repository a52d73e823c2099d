#include "hostprep.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "support/test_env.h"

namespace {

// Sets or clears an environment variable for the life of the object.
class EnvValue {
  public:
    EnvValue(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvValue() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TEST(Hostprep, FilePresentIsOneOnlyForAnExistingFile) {
    TempDir dir;
    WriteFile(dir.path() + "a.ini", "x");
    EXPECT_EQ(hpr_FilePresent((dir.path() + "a.ini").c_str()), 1);
    EXPECT_NE(hpr_FilePresent((dir.path() + "b.ini").c_str()), 1);
    EXPECT_NE(hpr_FilePresent(dir.path().c_str()), 1);  // a folder is no file
    EXPECT_NE(hpr_FilePresent(""), 1);
    EXPECT_NE(hpr_FilePresent(nullptr), 1);
}

TEST(Hostprep, HostCheckReportsTheConfigurationFolder) {
    char buf[520];
    {
        EnvValue config("XDG_CONFIG_HOME", "/some/where/config");
        EXPECT_NE(hpr_HostCheckAndAppPath(buf, sizeof buf), -1);
        EXPECT_STREQ(buf, "/some/where/config");
    }
    {
        // Unset or empty: $HOME/.config.
        EnvValue config("XDG_CONFIG_HOME", "");
        EnvValue home("HOME", "/home/bench/");
        EXPECT_NE(hpr_HostCheckAndAppPath(buf, sizeof buf), -1);
        EXPECT_STREQ(buf, "/home/bench/.config");
    }
    {
        EnvValue config("XDG_CONFIG_HOME", nullptr);
        EnvValue home("HOME", "/home/bench");
        EXPECT_NE(hpr_HostCheckAndAppPath(buf, sizeof buf), -1);
        EXPECT_STREQ(buf, "/home/bench/.config");
        // Exactly enough room, and one byte short.
        EXPECT_NE(hpr_HostCheckAndAppPath(buf, static_cast<int>(strlen("/home/bench/.config") + 1)),
                  -1);
        memset(buf, 'x', sizeof buf);
        EXPECT_EQ(hpr_HostCheckAndAppPath(buf, static_cast<int>(strlen("/home/bench/.config"))),
                  -1);
        EXPECT_EQ(buf[0], '\0');
        EXPECT_EQ(hpr_HostCheckAndAppPath(buf, 0), -1);
        EXPECT_EQ(hpr_HostCheckAndAppPath(nullptr, 520), -1);
    }
    {
        EnvValue config("XDG_CONFIG_HOME", nullptr);
        EnvValue home("HOME", nullptr);
        EXPECT_EQ(hpr_HostCheckAndAppPath(buf, sizeof buf), -1);
    }
}

TEST(Hostprep, MakeFolderCreatesParentsAndFailsBelowAFile) {
    TempDir dir;
    const std::string deep = dir.path() + "a/b/c/";
    EXPECT_EQ(hpr_MakeFolder(deep.c_str()), 0);
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_EQ(hpr_MakeFolder(deep.c_str()), 0);  // existing already is fine
    EXPECT_EQ(hpr_MakeFolder((dir.path() + "x//y").c_str()), 0);
    EXPECT_TRUE(IsFolder(dir.path() + "x/y"));

    WriteFile(dir.path() + "file", "x");
    EXPECT_NE(hpr_MakeFolder((dir.path() + "file").c_str()), 0);
    EXPECT_NE(hpr_MakeFolder((dir.path() + "file/sub/").c_str()), 0);
    EXPECT_NE(hpr_MakeFolder(""), 0);
    EXPECT_NE(hpr_MakeFolder(nullptr), 0);
}

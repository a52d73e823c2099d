#include "startup/settings_paths.h"

#include <sys/stat.h>

#include <cstdlib>

#include "support/test_env.h"

namespace {
bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

TEST(SettingsPaths, SplitModulePath) {
    std::string folder, base;
    SplitModulePath("/opt/vantrel/bin/vantrel", &folder, &base);
    EXPECT_EQ(folder, "/opt/vantrel/bin/");
    EXPECT_EQ(base, "vantrel");
    // A "." in a folder name never counts.
    SplitModulePath("/home/a.b/v2.0/vantrel", &folder, &base);
    EXPECT_EQ(folder, "/home/a.b/v2.0/");
    EXPECT_EQ(base, "vantrel");
    SplitModulePath("/usr/bin/vantrel.exe", &folder, &base);
    EXPECT_EQ(folder, "/usr/bin/");
    EXPECT_EQ(base, "vantrel");
    SplitModulePath("/x/my.tool.bin", &folder, &base);
    EXPECT_EQ(base, "my.tool");
    SplitModulePath("/x/.hidden", &folder, &base);
    EXPECT_EQ(base, ".hidden");
    SplitModulePath("vantrel", &folder, &base);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(base, "vantrel");
    SplitModulePath("", &folder, &base);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(base, "");
}

TEST(SettingsPaths, FileNamesCarryEachRolesComNumber) {
    AppSettings s;
    s.ioBlock.ioCom = 3;
    s.daBlock.daCom = 1;
    s.adBlock.adCom = 12;
    const SettingsFileNames n = NameSettingsFiles("/cfg/", "vantrel", s);
    EXPECT_EQ(n.launcherIni, "/cfg/vantrel.ini");
    EXPECT_EQ(n.ioIni, "/cfg/vantrelIO3.ini");
    EXPECT_EQ(n.daIni, "/cfg/vantrelDA1.ini");
    EXPECT_EQ(n.adIni, "/cfg/vantrelAD12.ini");
    EXPECT_EQ(n.adGraphIni, "/cfg/vantrelADg12.ini");
}

class SettingsFolder : public IsolatedTest {};

TEST_F(SettingsFolder, ChoiceWithAndWithoutALauncherIniBesideTheExecutable) {
    TempDir exe;
    const std::string exeIni = exe.path() + "vantrel.ini";

    // No launcher ini beside the executable: the per-user folder is made and chosen.
    SettingsFolderChoice c = ChooseSettingsFolder(exe.path(), exeIni);
    EXPECT_EQ(c.warning, FolderWarning::kNone);
    EXPECT_EQ(c.folder, env.settingsFolder());
    EXPECT_NE(c.platformCheck, -1);
    EXPECT_TRUE(IsFolder(env.settingsFolder()));

    // A trailing "/" in the configuration folder is not doubled.
    setenv("XDG_CONFIG_HOME", (env.root() + "cfg2/").c_str(), 1);
    c = ChooseSettingsFolder(exe.path(), exeIni);
    EXPECT_EQ(c.folder, env.root() + "cfg2/Harbelt/Vantrel/");

    // The folder cannot be made: a regular file stands where it should go.
    WriteFile(env.root() + "plainfile", "x");
    setenv("XDG_CONFIG_HOME", (env.root() + "plainfile").c_str(), 1);
    c = ChooseSettingsFolder(exe.path(), exeIni);
    EXPECT_EQ(c.warning, FolderWarning::kMakeFolderFailed);
    EXPECT_EQ(c.folder, exe.path());
    EXPECT_EQ(FolderWarningText(c.warning), "ユーザアプリケーションフォルダの生成に失敗しました。");

    // No configuration folder can be determined at all.
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "", 1);
    unsetenv("HOME");
    c = ChooseSettingsFolder(exe.path(), exeIni);
    EXPECT_EQ(c.warning, FolderWarning::kNoUserFolder);
    EXPECT_EQ(c.platformCheck, -1);
    EXPECT_EQ(c.folder, exe.path());
    EXPECT_EQ(
        FolderWarningText(c.warning),
        "Windowsのバージョンの取得もしくは\r\nアプリケーションフォルダの取得に失敗しました。");

    // With a launcher ini beside the executable, everything stays there without a warning,
    // whatever the configuration folder says.
    WriteFile(exeIni, "[Option]\n");
    c = ChooseSettingsFolder(exe.path(), exeIni);
    EXPECT_EQ(c.warning, FolderWarning::kNone);
    EXPECT_EQ(c.platformCheck, -1);
    EXPECT_EQ(c.folder, exe.path());
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (env.root() + "fresh").c_str(), 1);
    c = ChooseSettingsFolder(exe.path(), exeIni);
    EXPECT_EQ(c.folder, exe.path());
    EXPECT_NE(c.platformCheck, -1);
    EXPECT_FALSE(PathExists(env.root() + "fresh"));  // no per-user folder is made

    EXPECT_EQ(AlreadyRunningText("vantrel"), "vantrelは既に起動しております");
}

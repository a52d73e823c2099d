// LoadOptions / SaveOptions and the range keys on real ini files.
#include "platform/profile_file.h"
#include "settings/SettingsStore.h"
#include "support/test_env.h"

namespace {

const char kFullOptions[] =
    "[Option]\r\nCom=1\r\nAutoCom=1\r\nAutoRun=0\r\n"
    "Ch1_COM=1\r\nCh1_MODE=4\r\nCh2_COM=1\r\nCh2_MODE=4\r\n"
    "Ch3_COM=1\r\nCh3_MODE=4\r\nCh4_COM=1\r\nCh4_MODE=4\r\n";

}  // namespace

TEST(SettingsStore, FirstRunDefaultsAndTheFullWriteInOrder) {
    TempDir dir;
    const std::string path = dir.path() + "vantrel.ini";

    SettingsStore store(path);
    EXPECT_EQ(store.rewriteAll, 1);
    AppSettings settings;
    settings.com = settings.autoCom = settings.autoRun = settings.txOnly = 55;
    settings.chCom = {9, 9, 9, 9};
    settings.chMode = {9, 9, 9, 9};
    EXPECT_EQ(LoadOptions(store, settings), 0);
    EXPECT_EQ(settings.com, 1);
    EXPECT_EQ(settings.autoCom, 1);
    EXPECT_EQ(settings.autoRun, 0);
    EXPECT_EQ(settings.txOnly, 0);
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_EQ(settings.chCom[i], 1);
        EXPECT_EQ(settings.chMode[i], 4);
    }
    EXPECT_EQ(store.rewriteAll, 1);
    EXPECT_EQ(store.settings.chMode[3], 4);
    EXPECT_FALSE(PathExists(path));  // loading never creates the file

    // The launcher's close on a first run writes all eleven keys, in order, never TxOnly.
    EXPECT_EQ(SaveOptions(store, settings, 0), 0);
    EXPECT_EQ(ReadFile(path), kFullOptions);
    EXPECT_EQ(store.rewriteAll, 0);

    // A complete file loads without asking for a rewrite; a save then writes only what
    // changed (a value edited by hand meanwhile stays), and compares against the loaded
    // values every time because the store's copy is not updated.
    // TxOnly is never written, so it counts as missing until someone sets it by hand.
    WriteFile(path, std::string(kFullOptions) + "TxOnly=0\r\n");
    SettingsStore second(path);
    AppSettings loaded;
    LoadOptions(second, loaded);
    EXPECT_EQ(second.rewriteAll, 0);
    WritePrivateProfileString("Option", "Com", "3", path);
    loaded.chCom[1] = 7;
    SaveOptions(second, loaded, 0);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Com", -1, path), 3);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch2_COM", -1, path), 7);
    WritePrivateProfileString("Option", "Ch2_COM", "8", path);
    SaveOptions(second, loaded, 0);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Ch2_COM", -1, path), 7);
    EXPECT_EQ(second.settings.chCom[1], 1);

    // force = 1 writes every key again.
    SaveOptions(second, loaded, 1);
    EXPECT_EQ(GetPrivateProfileInt("Option", "Com", -1, path), 1);

    // The round trip: what was saved loads back.
    SettingsStore third(path);
    AppSettings again;
    LoadOptions(third, again);
    EXPECT_EQ(again.chCom[1], 7);
    EXPECT_EQ(again.chMode[1], 4);
}

TEST(SettingsStore, HandSetValuesTxOnlyAndMissingMarkers) {
    TempDir dir;
    const std::string path = dir.path() + "vantrel.ini";
    WriteFile(path,
              "[System]\r\nLeft=10\r\n[Option]\r\nTxOnly=1\r\nCom=2\r\nAutoRun=-1\r\n"
              "Ch1_MODE=7\r\nCh2_COM=-3\r\n");
    SettingsStore store(path);
    AppSettings settings;
    LoadOptions(store, settings);
    EXPECT_EQ(settings.txOnly, 1);
    EXPECT_EQ(settings.com, 2);
    EXPECT_EQ(settings.autoRun, 0);    // a stored -1 reads as missing
    EXPECT_EQ(settings.chMode[0], 7);  // stored as read, clamped by the launcher
    EXPECT_EQ(settings.chCom[1], -3);
    EXPECT_EQ(store.rewriteAll, 1);  // keys were missing

    settings.txOnly = 0;  // never written, whatever the record says
    SaveOptions(store, settings, 0);
    EXPECT_EQ(ReadFile(path),
              "[System]\r\nLeft=10\r\n[Option]\r\nTxOnly=1\r\nCom=2\r\nAutoRun=0\r\n"
              "Ch1_MODE=7\r\nCh2_COM=-3\r\nAutoCom=1\r\nCh1_COM=1\r\nCh2_MODE=4\r\n"
              "Ch3_COM=1\r\nCh3_MODE=4\r\nCh4_COM=1\r\nCh4_MODE=4\r\n");
}

TEST(SettingsStore, RangeKeys) {
    TempDir dir;
    const std::string ad = dir.path() + "vantrelAD3.ini";
    const std::string da = dir.path() + "vantrelDA3.ini";
    AppSettings settings;
    settings.adBlock.adRange = 5;
    settings.daBlock.daRange = 5;

    // Missing file, then a stored -1: both load as 1.
    SettingsStore adStore(ad), daStore(da);
    EXPECT_EQ(LoadAdRange(adStore, settings), 0);
    EXPECT_EQ(LoadDaRange(daStore, settings), 0);
    EXPECT_EQ(settings.adBlock.adRange, 1);
    EXPECT_EQ(settings.daBlock.daRange, 1);
    WriteFile(ad, "[System]\r\nLeft=1\r\nTop=2\r\n[Setting]\r\nRange=-1\r\n");
    LoadAdRange(adStore, settings);
    EXPECT_EQ(settings.adBlock.adRange, 1);

    // A save always writes the current value and keeps the placement lines.
    settings.adBlock.adRange = 0;
    EXPECT_EQ(SaveAdRange(adStore, settings), 0);
    EXPECT_EQ(ReadFile(ad), "[System]\r\nLeft=1\r\nTop=2\r\n[Setting]\r\nRange=0\r\n");
    settings.adBlock.adRange = 1;
    LoadAdRange(adStore, settings);
    EXPECT_EQ(settings.adBlock.adRange, 0);

    settings.daBlock.daRange = 0;
    EXPECT_EQ(SaveDaRange(daStore, settings), 0);
    EXPECT_EQ(ReadFile(da), "[Setting]\r\nRange=0\r\n");
    settings.daBlock.daRange = 1;
    LoadDaRange(daStore, settings);
    EXPECT_EQ(settings.daBlock.daRange, 0);
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, ad), 0);  // files stay apart
}

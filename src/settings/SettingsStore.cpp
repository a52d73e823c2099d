// Loading and saving the launcher's Option section and the panels' range keys.
#include "settings/SettingsStore.h"

#include <cstdio>
#include <utility>

#include "platform/profile_file.h"
#include "settings/iniacs.h"

namespace {

constexpr const char* kOptionSection = "Option";
constexpr const char* kSettingSection = "Setting";
constexpr const char* kRangeKey = "Range";

std::string ChannelKey(const char* format, int channel) {
    char key[32];
    std::snprintf(key, sizeof key, format, channel);
    return key;
}

// The reading convention of every settings reader: -1 means the key is missing.
int32_t ReadOrDefault(const SettingsStore& store, const char* section, const std::string& key,
                      int32_t def, bool* missing) {
    const int value = GetPrivateProfileInt(section, key, -1, store.iniPath);
    if (value == -1) {
        *missing = true;
        return def;
    }
    return value;
}

int32_t LoadRange(const SettingsStore& store) {
    const int value = GetPrivateProfileInt(kSettingSection, kRangeKey, -1, store.iniPath);
    return value == -1 ? 1 : value;
}

int SaveRange(const SettingsStore& store, int32_t range) {
    iniacs ini;
    ini.iniPath = store.iniPath;
    ini.buffered = 0;
    ini.WriteInt(kRangeKey, kSettingSection, range);
    return 0;
}

}  // namespace

SettingsStore::SettingsStore(std::string path) : iniPath(std::move(path)) {}

int LoadOptions(SettingsStore& store, AppSettings& settings) {
    store.rewriteAll = 0;
    bool missing = false;
    settings.com = ReadOrDefault(store, kOptionSection, "Com", 1, &missing);
    settings.autoCom = ReadOrDefault(store, kOptionSection, "AutoCom", 1, &missing);
    settings.autoRun = ReadOrDefault(store, kOptionSection, "AutoRun", 0, &missing);
    settings.txOnly = ReadOrDefault(store, kOptionSection, "TxOnly", 0, &missing);
    for (int n = 1; n <= kChannelCount; ++n) {
        const size_t i = static_cast<size_t>(n - 1);
        settings.chCom[i] =
            ReadOrDefault(store, kOptionSection, ChannelKey("Ch%d_COM", n), 1, &missing);
        settings.chMode[i] =
            ReadOrDefault(store, kOptionSection, ChannelKey("Ch%d_MODE", n), 4, &missing);
    }
    if (missing) store.rewriteAll = 1;
    store.settings = settings;
    return 0;
}

int LoadAdRange(SettingsStore& store, AppSettings& settings) {
    settings.adBlock.adRange = LoadRange(store);
    return 0;
}

int LoadDaRange(SettingsStore& store, AppSettings& settings) {
    settings.daBlock.daRange = LoadRange(store);
    return 0;
}

int SaveOptions(SettingsStore& store, AppSettings settings, int force) {
    if (force == 1) store.rewriteAll = 1;
    const AppSettings& loaded = store.settings;
    const bool all = store.rewriteAll == 1;
    iniacs ini;
    ini.iniPath = store.iniPath;
    ini.buffered = 0;
    auto write = [&](const std::string& key, int32_t value, int32_t loadedValue) {
        if (all || value != loadedValue) ini.WriteInt(key, kOptionSection, value);
    };
    write("Com", settings.com, loaded.com);
    write("AutoCom", settings.autoCom, loaded.autoCom);
    write("AutoRun", settings.autoRun, loaded.autoRun);
    for (int n = 1; n <= kChannelCount; ++n) {
        const size_t i = static_cast<size_t>(n - 1);
        write(ChannelKey("Ch%d_COM", n), settings.chCom[i], loaded.chCom[i]);
        write(ChannelKey("Ch%d_MODE", n), settings.chMode[i], loaded.chMode[i]);
    }
    // TxOnly is only ever set by hand and is never written.
    store.rewriteAll = 0;
    return 0;
}

int SaveAdRange(SettingsStore& store, const AppSettings& settings) {
    return SaveRange(store, settings.adBlock.adRange);
}

int SaveDaRange(SettingsStore& store, const AppSettings& settings) {
    return SaveRange(store, settings.daBlock.daRange);
}

#include "channel_prefs.h"

#include "platform/profile_file.h"
#include "settings/iniacs.h"

namespace plotwin {
namespace {

std::string Key(size_t index) {
    return "Shown" + std::to_string(index + 1);
}

}  // namespace

std::vector<bool> ReadShownChannels(const std::string& iniPath, int channels) {
    std::vector<bool> shown(static_cast<size_t>(channels > 0 ? channels : 0), true);
    if (iniPath.empty()) return shown;
    // Only a value that reads 0 hides; a missing key or empty value reads -1 and shows.
    for (size_t i = 0; i < shown.size(); ++i) {
        shown[i] = GetPrivateProfileInt(kChannelSection, Key(i), -1, iniPath) != 0;
    }
    return shown;
}

bool WriteShownChannels(const std::string& iniPath, const std::vector<bool>& shown) {
    if (iniPath.empty()) return false;
    if (shown.empty()) return true;
    // Buffered: every key is edited in memory and the file is rewritten once.
    iniacs ini;
    ini.iniPath = iniPath;
    ini.buffered = 1;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (!ini.WriteInt(Key(i), kChannelSection, shown[i] ? 1 : 0)) return false;
    }
    // Written here rather than by the destructor, so that a failed rewrite is reported.
    const bool written = ini.FlushLines();
    ini.loaded = 0;
    return written;
}

}  // namespace plotwin

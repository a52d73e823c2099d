#include "channel_prefs.h"

#include "placement_ini.h"

namespace plotwin {
namespace {

std::string Key(size_t index) {
    return "Shown" + std::to_string(index + 1);
}

}  // namespace

std::vector<bool> ReadShownChannels(const std::string& iniPath, int channels) {
    std::vector<bool> shown(static_cast<size_t>(channels > 0 ? channels : 0), true);
    if (iniPath.empty()) return shown;
    for (size_t i = 0; i < shown.size(); ++i) {
        int value = 1;
        if (ReadIniInt(iniPath, kChannelSection, Key(i), &value)) shown[i] = value != 0;
    }
    return shown;
}

bool WriteShownChannels(const std::string& iniPath, const std::vector<bool>& shown) {
    if (iniPath.empty()) return false;
    std::vector<IniInt> values;
    for (size_t i = 0; i < shown.size(); ++i) values.push_back({Key(i), shown[i] ? 1 : 0});
    return WriteIniInts(iniPath, kChannelSection, values);
}

}  // namespace plotwin

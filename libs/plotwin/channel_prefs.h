// Which channels the user has hidden in the graph window, kept in the component's own settings
// file so the choice survives a restart: section [Channels], one key per channel,
// "Shown1=1" .. "Shown8=0" (0 hidden by the user, anything else shown).
#pragma once

#include <string>
#include <vector>

namespace plotwin {

constexpr const char* kChannelSection = "Channels";

// One entry per channel (channels of them): false where the file hides the channel, that is
// where the key's value reads 0 by the profile reading rules ("0", "x" and "0abc" hide). A
// missing file, section or key, or an empty value, leaves the channel shown.
std::vector<bool> ReadShownChannels(const std::string& iniPath, int channels);

// Writes one key per entry of shown in one rewrite of the file, keeping every other line of
// it. False when the file could not be written (it then stays as it was).
bool WriteShownChannels(const std::string& iniPath, const std::vector<bool>& shown);

}  // namespace plotwin

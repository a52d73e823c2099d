// Which channels the user has hidden in the graph window, kept in the component's own settings
// file so the choice survives a restart: section [Channels], one key per channel,
// "Shown1=1" .. "Shown8=0" (0 hidden by the user, anything else shown).
#pragma once

#include <string>
#include <vector>

namespace plotwin {

constexpr const char* kChannelSection = "Channels";

// One entry per channel (channels of them): false where the file hides the channel. A missing
// file, section, key or a value that is not a number leaves the channel shown.
std::vector<bool> ReadShownChannels(const std::string& iniPath, int channels);

// Writes one key per entry of shown, keeping every other line of the file. False when the
// file could not be written (it then stays as it was).
bool WriteShownChannels(const std::string& iniPath, const std::vector<bool>& shown);

}  // namespace plotwin

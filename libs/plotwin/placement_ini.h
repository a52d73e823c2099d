// The few integer keys the graph window keeps in its own settings file. The file may hold other
// lines (comments, sections of a seed file); a write keeps them and changes only its own keys.
// Written through a temporary file beside it and a rename, so a crash or a full disk never
// leaves a truncated file.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace plotwin {

using IniInt = std::pair<std::string, int>;

// Reads key in section (names match case-insensitively, blanks around them ignored; the first
// section and key of a name win). False when the file, section or key is missing or the value
// is not a whole number.
bool ReadIniInt(const std::string& path, const std::string& section, const std::string& key,
                int* value);

// Sets every key of values in section, creating the file, the section and the keys as needed.
// False when nothing could be written (the old file then stays as it was).
bool WriteIniInts(const std::string& path, const std::string& section,
                  const std::vector<IniInt>& values);

}  // namespace plotwin

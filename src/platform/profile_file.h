// Profile (ini) files: the integer reader and the write-through string writer.
#pragma once

#include <string>

// The integer stored under section/key of the file, or def when the file, section or key is
// missing or the value is empty.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& path);

// Creates the file, section and key as needed and replaces an existing value where it stands;
// every other line is kept. The file is rewritten through a temporary file and a rename.
// Returns true on success.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);

// Replaces the file's content with text: written to a temporary file in the same folder and
// renamed over the old one, so a crash or a full disk never leaves a truncated file.
bool ReplaceFileContent(const std::string& path, const std::string& text);

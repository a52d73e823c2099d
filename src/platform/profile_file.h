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

// Replaces the file's content with text: written to a temporary file in the same folder,
// flushed to the disk (fsync) and renamed over the old one, so a crash or a full disk never
// leaves a truncated file. A symbolic link stays a link (the file it points to is replaced);
// an existing file keeps its permission bits, a new one gets 0666 less the umask. Anything
// but a regular file in the target's place is refused.
// Returns true on success. On failure the old file is untouched, no temporary file remains,
// and errno holds the failing step's error (ENOENT for an empty path or a missing folder,
// EISDIR for a folder and EINVAL for any other non-regular file in the target's place, else
// the system's error of the step that failed: creating, writing, flushing or renaming), so
// a caller can tell the user the reason with strerror(errno).
bool ReplaceFileContent(const std::string& path, const std::string& text);

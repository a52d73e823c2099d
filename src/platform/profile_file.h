// Profile (ini) files: the integer reader and the write-through string writer.
#pragma once

#include <string>

// The integer stored under section/key of the file, or def when the file, section or key is
// missing or the value is empty.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& path);

// Creates the file, section and key as needed and replaces an existing value where it stands;
// every other line is kept. Sections and keys are found by the reader's rules
// (platform/profile_lines.h). The file is rewritten through a temporary file and a rename.
// Returns true on success; false for an entry that would not read back as written
// (IsWritableProfileEntry), a file that cannot be read, and a read-only file, which is left as
// it is (see ReplaceFileContent).
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);

// Replaces the file's content with text: written to a temporary file in the same folder,
// flushed to the disk (fsync) and renamed over the old one, so a crash or a full disk never
// leaves a truncated file. A symbolic link stays a link (the file it points to is replaced);
// an existing file keeps its permission bits, a new one gets 0666 less the umask. Anything
// but a regular file in the target's place is refused, and so is a read-only file
// (IsReadOnlyByMode), whoever runs the program: a file the user locked stays as it is.
// Returns true on success. On failure the old file is untouched, no temporary file remains,
// and errno holds the failing step's error (ENOENT for an empty path or a missing folder,
// EISDIR for a folder, EINVAL for any other non-regular file in the target's place, EACCES
// for a read-only file, else
// the system's error of the step that failed: creating, writing, flushing or renaming), so
// a caller can tell the user the reason with strerror(errno).
bool ReplaceFileContent(const std::string& path, const std::string& text);

// A read-only file by its mode bits: its owner's write bit is clear (what "chmod u-w", "chmod
// a-w" and a file manager's "read-only" do). This is the test, not the caller's access: Windows'
// read-only attribute binds every caller, administrators too, and root could write any file.
bool IsReadOnlyByMode(unsigned mode);

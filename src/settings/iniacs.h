// The only writer of the ini files. Write-through mode writes each value at once; buffered
// mode reads the file into a line image on the first write, edits the image, and writes it
// back once when the object is destroyed.
#pragma once

#include <string>
#include <vector>

class iniacs {
  public:
    iniacs();
    virtual ~iniacs();
    iniacs(const iniacs&) = delete;
    iniacs& operator=(const iniacs&) = delete;

    // Writes value (formatted "%d") under key in section. Returns 1, or SetLine's result when
    // buffered.
    int WriteInt(const std::string& key, const std::string& section, int value);

    // Buffered edit: 1 on success; 0 when the entry would not read back as written
    // (IsWritableProfileEntry), or the file cannot be read or is read-only (IsReadOnlyByMode).
    int SetLine(const std::string& section, const std::string& key, const std::string& text);
    // Reads the file into lines; non-zero on success, 0 (errno EACCES) for a read-only file.
    int LoadLines();
    // 1 if the section was found. Section and key are found by the profile reader's rules
    // (platform/profile_lines.h). position: the key's line (keyFound 1), else the line before
    // which a new key goes: the next header, or the end.
    int FindKey(const std::string& section, const std::string& key, int* position,
                int* keyFound) const;
    // Writes lines back to the file, each followed by CR LF. False when the file could not be
    // replaced (it then stays as it was; errno as ReplaceFileContent leaves it).
    bool FlushLines();

    std::string iniPath;
    int buffered = 0;
    int loaded = 0;
    std::vector<std::string> lines;
};

// Whole files and temporary folders.
#pragma once

#include <string>
#include <vector>

namespace testkit {

// The whole content of a file, "" when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the content of a file (made when missing).
void WriteFile(const std::string& path, const std::string& content);
// True when something (also a dangling link) is at path.
bool PathExists(const std::string& path);
// The names in a folder, sorted (without "." and "..").
std::vector<std::string> FolderEntries(const std::string& folder);

// A temporary folder ("<prefix>-XXXXXX" in the system's temporary folder), removed with
// everything in it when the object goes. Throws std::runtime_error when it cannot be made.
class TempDir {
  public:
    explicit TempDir(const std::string& prefix = "vantrel-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder's path, ending in "/".
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace testkit

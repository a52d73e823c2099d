// The two file operations of start-up.
#pragma once

#include <string>

// True when a file system entry of that name exists (a file, a folder, even a dangling link).
bool FileExists(const std::string& path);

// Copies from to to, refusing to replace an existing to (O_EXCL). Returns true when the whole
// file was copied; a copy that fails half-way removes what it wrote, so no cut file remains.
bool CopyFileFailIfExists(const std::string& from, const std::string& to);

// Helpers shared by the fuzz targets: a failing check that libFuzzer reports as a crash, a
// scratch folder for the run, the ini line splitting and the check that an edit stayed local.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Prints what failed and aborts, which libFuzzer records as a crash with its input.
[[noreturn]] void FuzzFail(const char* file, int line, const char* what);
#define FUZZ_CHECK(cond)                                  \
    do {                                                  \
        if (!(cond)) FuzzFail(__FILE__, __LINE__, #cond); \
    } while (0)

// A folder of this process's own (on tmpfs when there is one, so that the fsync of every ini
// rewrite costs nothing), removed with its content when the process exits normally.
const std::string& FuzzScratchDir();

void FuzzWriteFile(const std::string& path, const std::string& content);
std::string FuzzReadFile(const std::string& path);

// The lines of an ini file as the buffered writer loads them: split at CR LF, LF or a lone CR,
// without the line ends; empty lines count, a last line without a line end counts.
std::vector<std::string> SplitIniLines(const std::string& text);

// The text without the blanks (spaces, tabs) at either end, and a name in ASCII lower case: an
// ini reader's view of names, stated here apart from the code under test.
std::string TrimIniBlanks(const std::string& s);
std::string LowerIniName(std::string s);

// True when a line holds key as an ini reader sees it: blanks, key in any letter case, blanks,
// then "=" or the line's end. (key is not empty and begins with neither "[" nor ";".)
bool HoldsIniKey(const std::string& line, const std::string& key);

// True when after is before with at most one line taken out, for which removable holds, and at
// most maxInserted lines put in at that place, each equal to one of inserted. Every other line
// is the same, byte for byte and in the same order.
bool IsLocalEdit(const std::vector<std::string>& before, const std::vector<std::string>& after,
                 const std::function<bool(const std::string&)>& removable,
                 const std::vector<std::string>& inserted, size_t maxInserted);

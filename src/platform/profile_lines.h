// The line rules of profile (ini) files: which line is a section header, which holds a key, and
// how names compare. The reader and both writers use these same rules, so that a writer edits
// exactly the line the reader takes and a value written is the value read back.
#pragma once

#include <string_view>

// A UTF-8 byte-order mark, which editors may put before the first line; it is no part of it.
constexpr std::string_view kProfileBom = "\xEF\xBB\xBF";

enum class ProfileLineKind {
    kOther,         // blank or comment (";" first)
    kSection,       // "[name]"; text after the "]" is ignored
    kBrokenHeader,  // "[" with no "]" after it: no header, but the section before it ends here
    kKey,           // anything else: a key, with a value after "=" or without one
};

// What one line (its text without the line end) means.
struct ProfileLine {
    ProfileLineKind kind = ProfileLineKind::kOther;
    std::string_view name;   // section name or key, without the blanks around it
    bool hasValue = false;   // a key line with an "="
    std::string_view value;  // without blanks around it and without one pair of double quotes
};

ProfileLine ParseProfileLine(std::string_view text);

// The text without the blanks (spaces, tabs) at either end.
std::string_view TrimProfileBlanks(std::string_view s);

// Section and key names compare without regard to ASCII letter case.
bool SameProfileName(std::string_view a, std::string_view b);

// True when "[section]" and "key=value" (names trimmed) are lines that read back as that section
// and that key with that value: names not empty, no line break anywhere, no "]" in the section,
// no "=" in the key, and a key that does not begin like a header or a comment.
bool IsWritableProfileEntry(std::string_view section, std::string_view key, std::string_view value);

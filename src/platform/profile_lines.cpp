// The line rules shared by the profile reader and the two ini writers.
#include "platform/profile_lines.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string_view TrimProfileBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool SameProfileName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

ProfileLine ParseProfileLine(std::string_view text) {
    ProfileLine parsed;
    std::string_view s = TrimProfileBlanks(text);
    if (s.empty() || s.front() == ';') return parsed;
    if (s.front() == '[') {
        // Windows' profile reader takes only a bracketed name as a header. A line that opens a
        // bracket and never closes it names no section, yet the keys after it no longer belong
        // to the section above: they belong to none until the next real header.
        const size_t close = s.find(']');
        if (close == std::string_view::npos) {
            parsed.kind = ProfileLineKind::kBrokenHeader;
            return parsed;
        }
        parsed.kind = ProfileLineKind::kSection;
        parsed.name = TrimProfileBlanks(s.substr(1, close - 1));
        return parsed;
    }
    parsed.kind = ProfileLineKind::kKey;
    const size_t eq = s.find('=');
    if (eq == std::string_view::npos) {
        parsed.name = s;
        return parsed;
    }
    parsed.name = TrimProfileBlanks(s.substr(0, eq));
    parsed.hasValue = true;
    std::string_view value = TrimProfileBlanks(s.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    parsed.value = value;
    return parsed;
}

bool IsWritableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value) {
    const std::string_view sectionName = TrimProfileBlanks(section);
    const std::string_view keyName = TrimProfileBlanks(key);
    return !sectionName.empty() && !keyName.empty() && !HasLineBreak(section) &&
           !HasLineBreak(key) && !HasLineBreak(value) &&
           sectionName.find(']') == std::string_view::npos &&
           keyName.find('=') == std::string_view::npos && keyName.front() != '[' &&
           keyName.front() != ';';
}

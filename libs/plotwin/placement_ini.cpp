#include "placement_ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "atomic_file.h"

namespace plotwin {
namespace {

// Larger files are not ours: they are neither read nor rewritten.
constexpr off_t kMaxFileSize = 1 << 20;

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The name of a section header line ("[name]"), or false when the line is none.
bool SectionName(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string::npos) return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

// The key of a "key=value" line and its value text.
bool KeyLine(const std::string& line, std::string* key, std::string* value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(t.substr(0, eq));
    *value = Trim(t.substr(eq + 1));
    return true;
}

// The file's whole text. False when it exists but cannot be read, is too large or is not a
// regular file; a missing file reads as empty.
bool ReadWhole(const std::string& path, std::string* text, bool* exists) {
    text->clear();
    *exists = false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        close(fd);
        return false;
    }
    *exists = true;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0) break;
        text->append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool ReadIniInt(const std::string& path, const std::string& section, const std::string& key,
                int* value) {
    std::string text;
    bool exists = false;
    if (path.empty() || !ReadWhole(path, &text, &exists) || !exists) return false;
    enum { kBefore, kInside, kAfter } where = kBefore;
    for (const std::string& line : SplitLines(text)) {
        std::string name, k, v;
        if (SectionName(line, &name)) {
            if (where == kInside) where = kAfter;
            if (where == kBefore && SameName(name, section)) where = kInside;
            continue;
        }
        if (where != kInside || !KeyLine(line, &k, &v) || !SameName(k, key)) continue;
        if (v.empty()) return false;
        errno = 0;
        char* end = nullptr;
        const long n = std::strtol(v.c_str(), &end, 10);
        if (end == v.c_str() || *end != '\0' || errno == ERANGE || n < INT_MIN || n > INT_MAX)
            return false;
        *value = static_cast<int>(n);
        return true;
    }
    return false;
}

bool WriteIniInts(const std::string& path, const std::string& section,
                  const std::vector<IniInt>& values) {
    std::string text;
    bool exists = false;
    // A file we cannot read is left alone rather than replaced by our few keys.
    if (path.empty() || !ReadWhole(path, &text, &exists)) return false;
    const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::vector<std::string> lines = SplitLines(text);

    // Find our section: [begin, end) are its lines after the header.
    bool found = false;
    size_t begin = lines.size(), end = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (!SectionName(lines[i], &name)) continue;
        if (!found) {
            found = SameName(name, section);
            if (found) begin = i + 1;
        } else {
            end = i;
            break;
        }
    }
    if (!found) {
        lines.push_back("[" + section + "]");
        begin = end = lines.size();
    }
    std::vector<std::string> missing;
    for (const IniInt& kv : values) {
        const std::string line = kv.first + "=" + std::to_string(kv.second);
        bool replaced = false;
        for (size_t i = begin; i < end && !replaced; ++i) {
            std::string k, v;
            if (KeyLine(lines[i], &k, &v) && SameName(k, kv.first)) {
                lines[i] = line;
                replaced = true;
            }
        }
        if (!replaced) missing.push_back(line);
    }
    // New keys go after the section's last non-blank line.
    size_t at = end;
    while (at > begin && Trim(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), missing.begin(), missing.end());

    std::string out;
    for (const std::string& line : lines) out += line + eol;
    return ReplaceFileContents(path, out, nullptr);
}

}  // namespace plotwin

#include "fuzz_support.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

void FuzzFail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    remove(path);
    return 0;
}

std::string g_scratch;

void RemoveScratch() {
    if (!g_scratch.empty()) nftw(g_scratch.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

const std::string& FuzzScratchDir() {
    if (g_scratch.empty()) {
        std::string base = "/dev/shm";
        if (access(base.c_str(), W_OK | X_OK) != 0) {
            const char* tmp = std::getenv("TMPDIR");
            base = tmp && *tmp ? tmp : "/tmp";
        }
        std::string pattern = base + "/vantrel-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) FuzzFail(__FILE__, __LINE__, "mkdtemp");
        g_scratch = pattern + "/";
        std::atexit(RemoveScratch);
    }
    return g_scratch;
}

void FuzzWriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) FuzzFail(__FILE__, __LINE__, "writing a scratch file");
}

std::string FuzzReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitIniLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false;  // a line has begun that no line end has closed yet
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
            open = true;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

std::string TrimIniBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

std::string LowerIniName(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool HoldsIniKey(const std::string& line, const std::string& key) {
    const std::string text = TrimIniBlanks(line);
    if (text.size() < key.size()) return false;
    if (LowerIniName(text.substr(0, key.size())) != LowerIniName(key)) return false;
    const std::string rest = TrimIniBlanks(text.substr(key.size()));
    return rest.empty() || rest.front() == '=';
}

bool IsLocalEdit(const std::vector<std::string>& before, const std::vector<std::string>& after,
                 const std::function<bool(const std::string&)>& removable,
                 const std::vector<std::string>& inserted, size_t maxInserted) {
    // The longest common head, then the longest common tail of what is left: what lies between
    // is the edit. (If any single-place edit explains the change, this one does.)
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    const size_t removed = before.size() - head - tail;
    const size_t added = after.size() - head - tail;
    if (removed > 1 || added > maxInserted) return false;
    if (removed == 1 && !removable(before[head])) return false;
    for (size_t i = head; i < head + added; ++i) {
        if (std::find(inserted.begin(), inserted.end(), after[i]) == inserted.end()) return false;
    }
    return true;
}

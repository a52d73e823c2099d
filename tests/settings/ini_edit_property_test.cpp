// Property: random ini text plus random buffered edits, and every line that was not edited
// comes back byte for byte and in order (its line end becoming CR LF); a line taken out is one
// that holds an edited key as a reader sees it (any letter case, blanks around it).
#include <algorithm>
#include <cctype>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/profile_file.h"
#include "settings/iniacs.h"
#include "support/test_env.h"

namespace {

// Lines as the ini writer reads them: ended by CR LF, LF or a lone CR.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::string RandomLine(std::mt19937& rng) {
    static const char* const kPieces[] = {
        "[S0]",  "[S1]",  "[S2]",   "[s1]", "[S1] x", "K0=1", "K1=22", "K2",
        "K10=5", " K0=3", "; K1=4", "",     "=",      "[",    "K1 =7", "\xE4\xBA\x88\xE5\x82\x99=1",
        "[S2",   " [s0]", "k2 = 9", "K0",
    };
    const int kind = static_cast<int>(rng() % 4);
    if (kind < 3) return kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
    std::string bytes;  // raw bytes without line ends, NUL and invalid UTF-8 included
    const size_t length = rng() % 12;
    while (bytes.size() < length) {
        const char c = static_cast<char>(rng() % 256);
        if (c != '\r' && c != '\n') bytes += c;
    }
    return bytes;
}

// The longest common subsequence table walk: which lines of a and b pair up in order.
void MatchInOrder(const std::vector<std::string>& a, const std::vector<std::string>& b,
                  std::vector<bool>* aMatched, std::vector<bool>* bMatched) {
    const size_t n = a.size(), m = b.size();
    std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = n; i-- > 0;) {
        for (size_t j = m; j-- > 0;) {
            lcs[i][j] =
                a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
        }
    }
    aMatched->assign(n, false);
    bMatched->assign(m, false);
    size_t i = 0, j = 0;
    while (i < n && j < m) {
        if (a[i] == b[j]) {
            (*aMatched)[i++] = true;
            (*bMatched)[j++] = true;
        } else if (lcs[i + 1][j] >= lcs[i][j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

// The key a line holds as a reader of ini files sees it, in lower case: the text before "=" (or
// the whole line) without the blanks around it; "" for blank lines, comments and headers.
std::string KeyOf(const std::string& line) {
    const std::string text = TrimBlanks(line);
    if (text.empty() || text.front() == ';' || text.front() == '[') return "";
    std::string key = TrimBlanks(text.substr(0, text.find('=')));
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace

TEST(IniEditProperty, EveryUneditedLineSurvivesByteForByte) {
    TempDir dir;
    const std::string path = dir.path() + "r.ini";
    static const char* const kLineEnds[] = {"\r\n", "\n", "\r"};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        std::string text;
        const int lineCount = static_cast<int>(rng() % 30);
        for (int i = 0; i < lineCount; ++i) {
            text += RandomLine(rng);
            if (i + 1 < lineCount || rng() % 2) text += kLineEnds[rng() % 3];
        }
        WriteFile(path, text);

        std::set<std::string> editedKeys, editedSections;
        std::vector<std::string> written;
        std::map<std::pair<std::string, std::string>, int> lastValue;
        {
            iniacs ini;
            ini.iniPath = path;
            ini.buffered = 1;
            const int edits = 1 + static_cast<int>(rng() % 5);
            for (int e = 0; e < edits; ++e) {
                const std::string section = "S" + std::to_string(rng() % 4);
                const std::string key = "K" + std::to_string(rng() % 3);
                const int value = static_cast<int>(rng() % 2000) - 1000;
                ASSERT_EQ(ini.WriteInt(key, section, value), 1);
                editedKeys.insert(KeyOf(key));
                editedSections.insert("[" + section + "]");
                written.push_back(key + "=" + std::to_string(value));
                lastValue[{section, key}] = value;
            }
        }
        // Every edit is what a reader now reads.
        for (const auto& [name, value] : lastValue) {
            EXPECT_EQ(GetPrivateProfileInt(name.first, name.second, -7777, path), value)
                << "seed " << seed << ": [" << name.first << "] " << name.second;
        }

        const std::string after = ReadFile(path);
        ASSERT_TRUE(after.size() >= 2 && after.compare(after.size() - 2, 2, "\r\n") == 0);
        std::string rebuilt;
        const std::vector<std::string> before = SplitLines(text);
        const std::vector<std::string> now = SplitLines(after);
        for (const std::string& line : now) rebuilt += line + "\r\n";
        ASSERT_EQ(rebuilt, after) << "seed " << seed << ": a line end other than CR LF";

        std::vector<bool> keptBefore, keptNow;
        MatchInOrder(before, now, &keptBefore, &keptNow);
        size_t removed = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            if (keptBefore[i]) continue;
            ++removed;
            EXPECT_EQ(editedKeys.count(KeyOf(before[i])), 1u)
                << "seed " << seed << ": lost line '" << before[i] << "'";
        }
        EXPECT_LE(removed, written.size()) << "seed " << seed;
        for (size_t j = 0; j < now.size(); ++j) {
            if (keptNow[j]) continue;
            const bool isEdit = std::find(written.begin(), written.end(), now[j]) != written.end();
            EXPECT_TRUE(isEdit || editedSections.count(now[j]) == 1)
                << "seed " << seed << ": unexpected line '" << now[j] << "'";
        }
    }
}

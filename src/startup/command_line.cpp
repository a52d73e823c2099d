#include "startup/command_line.h"

#include <limits>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s, size_t begin, size_t end) {
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

}  // namespace

std::string JoinArguments(const std::vector<std::string>& args) {
    std::string text;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i) text += ' ';
        text += args[i];
    }
    return text;
}

std::vector<std::string> TokenizeArguments(const std::string& raw) {
    const std::string text = Trim(raw, 0, raw.size());
    std::vector<std::string> tokens;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '/') {  // a run of "/" yields no piece
            ++pos;
            continue;
        }
        size_t end = text.find('/', pos);
        if (end == std::string::npos) end = text.size();
        tokens.push_back(Trim(text, pos, end));
        pos = end;
    }
    return tokens;
}

bool IsNumericText(const std::string& text) {
    if (text.empty()) return false;
    int dots = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') continue;
        if ((c == '+' || c == '-') && i == 0) continue;
        if (c == '.' && ++dots <= 1) continue;
        return false;
    }
    return true;
}

int32_t DecimalToInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulate in 64 bits and stop growing once past the 32-bit range: clamp, never wrap.
    const int64_t limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= limit) value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

void DecideRole(const std::vector<std::string>& tokens, AppSettings& settings) {
    settings.ioBlock.ioCom = 1;
    settings.daBlock.daCom = 1;
    settings.adBlock.adCom = 1;
    settings.role = kRoleLauncher;
    if (tokens.size() != 3 || !IsNumericText(tokens[0]) || !IsNumericText(tokens[2])) return;
    const int32_t com = DecimalToInt(tokens[0]);
    settings.channelIndex = DecimalToInt(tokens[2]);
    if (tokens[1] == "QVX-IO") {
        settings.role = kRoleIo;
        settings.ioBlock.ioCom = com;
    } else if (tokens[1] == "QVX-DA") {
        settings.role = kRoleDa;
        settings.daBlock.daCom = com;
    } else if (tokens[1] == "QVX-AD") {
        settings.role = kRoleAd;
        settings.adBlock.adCom = com;
    }
}

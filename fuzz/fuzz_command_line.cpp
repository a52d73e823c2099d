// The command line: the argument bytes (split into arguments at NUL bytes) are joined, cut into
// "/" tokens and given to the role decision.
//
// Properties: no token holds a "/" or begins or ends with a blank; the tokens are the trimmed
// "/"-free runs of the text, in order; a panel role comes only from exactly three tokens with
// the first and third numeric and the second one of the three mode words, and then the role's
// COM number and the channel index are the C library's reading of the tokens.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "settings/AppSettings.h"
#include "startup/command_line.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The C library's decimal reading, for numeric texts only (digits, one sign, dots), where it
// cannot go wrong: a sign and the digits up to the first dot.
int64_t ReferenceDecimal(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= INT64_C(1) << 40) value = value * 10 + (text[i] - '0');
    }
    value = negative ? -value : value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back() += static_cast<char>(data[i]);
        }
    }
    const std::string text = JoinArguments(args);
    const std::vector<std::string> tokens = TokenizeArguments(text);

    // The reference cut: the text trimmed, then every maximal run without "/", trimmed.
    std::vector<std::string> expected;
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    size_t end = text.size();
    while (end > begin && IsBlank(text[end - 1])) --end;
    std::string run;
    bool inRun = false;
    for (size_t i = begin; i <= end; ++i) {
        if (i == end || text[i] == '/') {
            if (inRun) {
                size_t b = 0, e = run.size();
                while (b < e && IsBlank(run[b])) ++b;
                while (e > b && IsBlank(run[e - 1])) --e;
                expected.push_back(run.substr(b, e - b));
            }
            run.clear();
            inRun = false;
        } else {
            run += text[i];
            inRun = true;
        }
    }
    FUZZ_CHECK(tokens == expected);
    for (const std::string& token : tokens) {
        FUZZ_CHECK(token.find('/') == std::string::npos);
        FUZZ_CHECK(token.empty() || (!IsBlank(token.front()) && !IsBlank(token.back())));
    }

    AppSettings settings;
    settings.channelIndex = -12345;
    DecideRole(tokens, settings);
    FUZZ_CHECK(settings.role >= kRoleLauncher && settings.role <= kRoleAd);
    const bool panelLine =
        tokens.size() == 3 && IsNumericText(tokens[0]) && IsNumericText(tokens[2]);
    int expectedRole = kRoleLauncher;
    if (panelLine) {
        if (tokens[1] == "QVX-IO") expectedRole = kRoleIo;
        if (tokens[1] == "QVX-DA") expectedRole = kRoleDa;
        if (tokens[1] == "QVX-AD") expectedRole = kRoleAd;
        FUZZ_CHECK(settings.channelIndex == ReferenceDecimal(tokens[2]));
    } else {
        FUZZ_CHECK(settings.channelIndex == -12345);
    }
    FUZZ_CHECK(settings.role == expectedRole);
    const int64_t com = panelLine ? ReferenceDecimal(tokens[0]) : 1;
    FUZZ_CHECK(settings.ioBlock.ioCom == (expectedRole == kRoleIo ? com : 1));
    FUZZ_CHECK(settings.daBlock.daCom == (expectedRole == kRoleDa ? com : 1));
    FUZZ_CHECK(settings.adBlock.adCom == (expectedRole == kRoleAd ? com : 1));

    // Every text the numeric check accepts reads as a number without trouble, and the check
    // agrees with its rule.
    for (const std::string& token : tokens) {
        bool numeric = !token.empty();
        int dots = 0;
        for (size_t i = 0; i < token.size() && numeric; ++i) {
            const char c = token[i];
            if (c >= '0' && c <= '9') continue;
            if ((c == '+' || c == '-') && i == 0) continue;
            if (c == '.' && ++dots <= 1) continue;
            numeric = false;
        }
        FUZZ_CHECK(IsNumericText(token) == numeric);
        if (numeric) FUZZ_CHECK(DecimalToInt(token) == ReferenceDecimal(token));
    }
    return 0;
}

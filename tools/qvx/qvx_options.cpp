#include "qvx_options.h"

#include <getopt.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <deque>
#include <map>

#include "qvx_output.h"

namespace {

constexpr int kFirstId = 256;  // getopt values of the long options: kFirstId + their index
constexpr int kHelpId = 'h';

bool IsNegativeNumber(const char* text) {
    return text[0] == '-' && (std::isdigit(static_cast<unsigned char>(text[1])) || text[1] == '.');
}

bool ParseDecimal(const std::string& text, long long low, int* value) {
    if (text.empty() || text.size() > 10) return false;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v < low || v > INT_MAX) return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

ParseResult ParseOptions(int argc, char** argv, const std::vector<OptionDef>& defs,
                         const std::function<bool(int id, const std::string& value)>& onOption,
                         std::vector<std::string>* operands) {
    std::vector<option> longOptions;
    for (size_t i = 0; i < defs.size(); ++i) {
        longOptions.push_back({defs[i].name, defs[i].takesValue ? required_argument : no_argument,
                               nullptr, kFirstId + static_cast<int>(i)});
    }
    longOptions.push_back({"help", no_argument, nullptr, kHelpId});
    longOptions.push_back({nullptr, 0, nullptr, 0});

    // getopt would read "-5" as the options 5; such an argument is handed to it as a stand-in
    // that is no option, and its own text is put back afterwards.
    std::deque<std::string> standIns;
    std::map<const char*, std::string> negatives;
    std::vector<char*> args(argv, argv + argc);
    for (size_t i = 1; i < args.size(); ++i) {
        if (std::string(args[i]) == "--") break;
        if (!IsNegativeNumber(args[i])) continue;
        standIns.emplace_back("0");
        negatives[standIns.back().c_str()] = args[i];
        args[i] = standIns.back().data();
    }
    args.push_back(nullptr);
    const auto textOf = [&negatives](const char* text) {
        const auto found = negatives.find(text);
        return found != negatives.end() ? found->second : std::string(text);
    };
    const auto nameOf = [&defs](int id) {
        const size_t i = static_cast<size_t>(id - kFirstId);
        return i < defs.size() ? std::string("--") + defs[i].name : std::string("-h");
    };

    opterr = 0;
    optind = 0;  // GNU: start afresh
    for (;;) {
        const int c = getopt_long(argc, args.data(), ":h", longOptions.data(), nullptr);
        if (c == -1) break;
        if (c == kHelpId) return ParseResult::kHelp;
        if (c == ':') {
            UsageError("option '" + nameOf(optopt) + "' needs a value");
            return ParseResult::kUsageError;
        }
        if (c == '?') {
            if (optopt >= kFirstId) {
                UsageError("option '" + nameOf(optopt) + "' takes no value");
            } else if (optopt != 0) {
                UsageError(std::string("invalid option '-") + static_cast<char>(optopt) + "'");
            } else {
                UsageError("unrecognized option '" + textOf(args[optind - 1]) + "'");
            }
            return ParseResult::kUsageError;
        }
        const size_t index = static_cast<size_t>(c - kFirstId);
        if (index >= defs.size()) continue;
        if (!onOption(defs[index].id, optarg ? textOf(optarg) : std::string())) {
            return ParseResult::kUsageError;
        }
    }
    for (int i = optind; i < argc; ++i) operands->push_back(textOf(args[static_cast<size_t>(i)]));
    return ParseResult::kOk;
}

bool ValueTaken(bool ok, const char* option, const char* what, const std::string& value) {
    if (!ok) UsageError(std::string(option) + " takes " + what + ", not '" + value + "'");
    return ok;
}

bool ParseCount(const std::string& text, int* count) {
    return ParseDecimal(text, 1, count);
}

bool ParseMilliseconds(const std::string& text, int* ms) {
    return ParseDecimal(text, 0, ms);
}

bool ParseRange(const std::string& text, int* range) {
    if (text == "unipolar") {
        *range = 0;
    } else if (text == "bipolar") {
        *range = 1;
    } else {
        return false;
    }
    return true;
}

bool ParseHexByte(const std::string& text, unsigned* byte) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() > 2) return false;
    for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    *byte = static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 16));
    return true;
}

bool ParseFormat(const std::string& text, OutputFormat* format) {
    if (text == "text") {
        *format = OutputFormat::kText;
    } else if (text == "csv") {
        *format = OutputFormat::kCsv;
    } else if (text == "json") {
        *format = OutputFormat::kJson;
    } else {
        return false;
    }
    return true;
}

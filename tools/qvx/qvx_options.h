// The command lines of qvx's subcommands, GNU style: getopt_long with "--opt=value" and
// "--opt value", unambiguous abbreviations, options and operands in any order, "--" ending the
// options. An operand that is a negative number ("-5", "-2.5", "-.5") stays an operand.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct OptionDef {
    const char* name;  // the long name, without "--"
    bool takesValue;
    int id;  // passed to the handler
};

enum class ParseResult { kOk, kHelp, kUsageError };

// Parses argv[1..argc-1] (argv[0] is the subcommand). onOption(id, value) takes each option in
// turn and returns false after it printed a usage error. "--help" and "-h" give kHelp; any
// usage error is printed (one line) and gives kUsageError.
ParseResult ParseOptions(int argc, char** argv, const std::vector<OptionDef>& defs,
                         const std::function<bool(int id, const std::string& value)>& onOption,
                         std::vector<std::string>* operands);

// The answer of an option handler: ok, or false after the usage error
// "--option takes <what>, not '<value>'".
bool ValueTaken(bool ok, const char* option, const char* what, const std::string& value);

// Values of options. Each returns false for a text it does not take.
bool ParseCount(const std::string& text, int* count);        // 1 and more
bool ParseMilliseconds(const std::string& text, int* ms);    // 0 and more
bool ParseRange(const std::string& text, int* range);        // unipolar 0, bipolar 1
bool ParseHexByte(const std::string& text, unsigned* byte);  // "5a", "0x5A", "F"

enum class OutputFormat { kText, kCsv, kJson };
bool ParseFormat(const std::string& text, OutputFormat* format);

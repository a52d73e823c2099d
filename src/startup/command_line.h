// Reading the command line: the raw argument text, its "/" tokens, the numeric-text check and
// the role a command line asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/AppSettings.h"

// The arguments after the program name joined with single blanks: the raw argument text.
std::string JoinArguments(const std::vector<std::string>& args);

// Trims the text, splits it at every "/" (runs of "/" give no empty pieces) and trims each
// piece; a piece of blanks only becomes an empty token.
std::vector<std::string> TokenizeArguments(const std::string& text);

// True for a non-empty text of decimal digits, with "+" or "-" allowed at position 0 only and
// at most one "." anywhere. So "+", "-" and "." on their own pass.
bool IsNumericText(const std::string& text);

// The C library's decimal conversion: leading white space, an optional sign and the digits up
// to the first other character ("1.9" gives 1, a lone sign gives 0). A value beyond the 32-bit
// range is clamped to INT32_MIN or INT32_MAX instead of overflowing.
int32_t DecimalToInt(const std::string& text);

// Step 4 of start-up: sets ioCom, daCom and adCom to 1 and role to the launcher, then, for a
// panel command line (three tokens, the first and third numeric), channelIndex and, on a known
// mode word, role and that role's COM number.
void DecideRole(const std::vector<std::string>& tokens, AppSettings& settings);

// The lines of the operation log: a local time stamp, two blanks, the text. The log keeps at
// most 301 lines: 300 older ones and the new one.
#pragma once

#include <ctime>
#include <string>

inline constexpr int kLogMaxLines = 301;

// "%Y/%m/%d %H:%M:%S" of the local time t, or "" when it cannot be formatted.
std::string LogTimeStamp(std::time_t t);

// stamp + "  " + text + "\n".
std::string MakeLogLine(const std::string& stamp, const std::string& text);

// How many of the oldest lines go before a line is appended to a log whose line count (an empty
// last line after the final line break included) is lineCount.
int OldLinesToRemove(int lineCount);

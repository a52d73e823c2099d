// printf-style texts and decimal conversion in the "C" locale. Qt takes over the user's
// locale at start, and the panels' texts ("%.3fV", "%.4f") and typed voltages always use a
// decimal point, whatever the desktop's language.
#pragma once

#include <string>

// snprintf into a std::string (texts up to 255 bytes) with the "C" locale's number format.
std::string FormatInCLocale(const char* format, ...) __attribute__((format(printf, 1, 2)));

// strtod in the "C" locale.
double StrtodInCLocale(const char* text);

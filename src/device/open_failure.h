// Why a COM port could not be opened, told so that a user can act on it. Panel and launcher
// tell it alike: the panel keeps the system's error number in its own ini file (an integer, like
// every value the processes share) before it reports catalog message 1, and the launcher reads
// it back when it logs that message.
#pragma once

#include <string>

// Where the panel keeps the error number of its last failed open: section and key of its ini.
inline constexpr const char kOpenErrnoSection[] = "System";
inline constexpr const char kOpenErrnoKey[] = "OpenErrno";

// The COM entry and what the system said, e.g.
//   "/home/u/.config/Harbelt/Vantrel/ports/COM5: No such file or directory"   (no entry)
//   ".../ports/COM5 -> /dev/ttyUSB0: No such file or directory"                (device gone)
//   ".../ports/COM5 -> /dev/ttyUSB0: Permission denied (crw-rw---- root dialout)"
//   ".../ports/COM5 -> rfc2217://bench-pi:4001: Connection refused (nothing listens on that port)"
// settingsFolder names the COM port folder as for SerialLink; err is an errno value.
std::string ComOpenFailureText(const std::string& settingsFolder, int com, int err);

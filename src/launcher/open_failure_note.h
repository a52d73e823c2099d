// The launcher's side of a port that a panel could not open: the panel keeps the system's error
// number in its ini file before it publishes message 1, and the log line of that message gets
// what the number means for the row's COM entry.
#pragma once

#include <string>

// The ini file of the panel a row starts (row type 3, 2 or 1 on COM com), named as the panel's
// start-up names it beside the launcher ini. "" for another type.
std::string PanelIniOfRow(const std::string& launcherIni, int mode, int com);

// " (<COM entry> -> <device>: <system's text>)" when the row's panel kept an error number of a
// failed open, "" otherwise. The COM port folder is the one beside the launcher ini.
std::string OpenFailureNote(const std::string& launcherIni, int mode, int com);

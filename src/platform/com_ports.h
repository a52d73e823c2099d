// The COM port folder: entries COM1..COM255, each a link to a tty device (or the device).
#pragma once

#include <string>
#include <vector>

struct ComPortEntry {
    int number;          // n of "COMn"
    std::string target;  // the device the entry resolves to
};

// $VANTREL_COM_DIR when set, otherwise settingsFolder + "ports/". Ends in "/".
std::string ComPortFolder(const std::string& settingsFolder);

// The device path that COMn names, or "" for a number outside 1..255.
std::string ComPortDevice(const std::string& settingsFolder, int number);

// The present ports in ascending order: every entry whose target exists. In the default folder
// every serial device of the system that has no entry yet first gets one with the lowest free
// number.
std::vector<ComPortEntry> ListComPorts(const std::string& settingsFolder);

// The COM port folder: entries COM1..COM255, each a link to a tty device (or the device), or a
// link whose text is "rfc2217://HOST:PORT", naming a network serial port.
#pragma once

#include <string>
#include <vector>

struct ComPortEntry {
    int number;            // n of "COMn"
    std::string target;    // the device the entry resolves to (realpath), or a network URL
    std::string linkText;  // what the entry's link says, "" when the entry is the device itself
};

// What the link at path says (its target as written), "" when path is no link.
std::string LinkText(const std::string& path);

// ---- Network serial ports (RFC 2217, as ser2net serves them)

inline constexpr const char kNetworkPortScheme[] = "rfc2217://";

// True when a link text names a network port: it begins with "rfc2217://" (whether or not the
// rest is well formed; a malformed one fails to open with EINVAL rather than passing as a path).
bool IsNetworkPortText(const std::string& linkText);

struct NetworkPortAddress {
    std::string host;  // a name, an IPv4 address, or an IPv6 address without its brackets
    int port = 0;      // 1..65535
};

// Reads "rfc2217://HOST:PORT" (a trailing "/" allowed; an IPv6 address in brackets, as
// "rfc2217://[fe80::1]:4001"). False when the text is anything else.
bool ParseNetworkPort(const std::string& linkText, NetworkPortAddress* address);

// $VANTREL_COM_DIR when set, otherwise settingsFolder + "ports/". Ends in "/".
std::string ComPortFolder(const std::string& settingsFolder);

// The device path that COMn names, or "" for a number outside 1..255.
std::string ComPortDevice(const std::string& settingsFolder, int number);

// The present ports in ascending order: every entry whose target exists, and every network entry
// (listed with its URL as target; whether the server answers is found out when it is opened). In
// the default folder every serial device of the system that has no entry yet first gets one with
// the lowest free number (MakeAutomaticComPortLinks).
std::vector<ComPortEntry> ListComPorts(const std::string& settingsFolder);

// In the default folder (settingsFolder + "ports/"), gives every serial device of the system
// that has no entry yet a link with the lowest free number, so that a plugged-in adapter is a
// COM port wherever the folder is consulted (launcher start, a panel opening its port, the COM
// selection). A $VANTREL_COM_DIR folder is left as it is. Returns the number of links made.
int MakeAutomaticComPortLinks(const std::string& settingsFolder);

// ---- The pieces ListComPorts is made of, usable on any folder (tests use fake device trees).

// True when $VANTREL_COM_DIR names the folder; such a folder is taken as it is.
bool ComPortFolderIsOverridden();

// The present entries of folder (ending in "/"), ascending; makes no links.
std::vector<ComPortEntry> ListComPortsIn(const std::string& folder);

// Where the serial devices of the system are looked for. Each path ends in "/".
struct SerialDeviceRoots {
    std::string byIdDir = "/dev/serial/by-id/";  // stable names of USB adapters
    std::string devDir = "/dev/";                // ttyUSB*, ttyACM*, ttyS*
    std::string sysTtyDir = "/sys/class/tty/";   // <name>/type tells whether a UART is behind ttyS*
};

// The serial devices under roots in the order they are given numbers: by-id names first (sorted),
// then ttyUSB*, ttyACM*, ttyS* (each by number). A ttyS device counts only when sysTtyDir's
// "ttySn/type" holds a port type other than 0 (PORT_UNKNOWN): the kernel makes ttyS0..ttyS31
// whether or not a UART exists, and those without one report type 0.
std::vector<std::string> FindSerialDevices(const SerialDeviceRoots& roots);

// The roots the automatic links look in: the system's own unless a test has set others for this
// process (its fake device tree).
SerialDeviceRoots SystemSerialDeviceRoots();
void SetSystemSerialDeviceRoots(const SerialDeviceRoots& roots);

// Gives every device of FindSerialDevices(roots) that no entry of folder resolves to yet a new
// link "COMn" with the lowest free number (a number any entry has, even a dangling one, is never
// taken). Creates folder when a link is to be made. Returns the number of links made.
int AddComPortLinks(const std::string& folder, const SerialDeviceRoots& roots);

// Which port a command means, and where the COM port folder and the launcher's options lie.
//
// PORT is "COMn" or "n" (n from 1 to 255: an entry of the COM port folder, local or network) or
// a device path beginning with "/". The serial link opens ports by COM number only, so a device
// path is given an entry "COM1" in a private COM port folder of its own, made for the run.
#pragma once

#include <string>

struct PortChoice {
    int com = 0;         // the COM number; 0 for a device path
    std::string device;  // the device path, when com is 0
    std::string label;   // "COM5" or the device path, as errors name the port
};

// False for a text that is no PORT.
bool ParsePort(const std::string& text, PortChoice* port);

// The settings folder the launcher and its panels use (a vantrel.ini beside this executable keeps
// everything there; otherwise the per-user folder), made known to the serial link. Ends in "/".
std::string UseSettingsFolder();

// The launcher's Option "TxOnly" (DTR and RTS stay off when it is positive), 0 when missing.
int TxOnlyOption(const std::string& settingsFolder);

// Makes a port reachable by the serial link for the life of the object: a COM number as it is,
// a device path through the private folder (whose removal the destructor sees to).
class PortAccess {
  public:
    PortAccess() = default;
    ~PortAccess() { Release(); }
    PortAccess(const PortAccess&) = delete;
    PortAccess& operator=(const PortAccess&) = delete;

    // False (with the error printed) when the private folder cannot be made.
    bool Prepare(const PortChoice& port, const std::string& settingsFolder);
    int com() const { return com_; }

    // Why the open failed, as the system said it: the COM entry and what it points to, e.g.
    //   ".../ports/COM5 -> /dev/ttyUSB0: Device or resource busy", or for a device path
    //   "/dev/ttyUSB0: Permission denied (crw-rw---- root dialout)".
    std::string OpenFailureText(int err) const;

    // Removes the private folder (if any) once the port is open or given up: the open link does
    // not need it, and a run ended by a signal then leaves nothing behind.
    void Release();

  private:
    int com_ = 0;
    std::string settingsFolder_;
    std::string device_;
    std::string privateFolder_;  // "" unless a device path is in use
};

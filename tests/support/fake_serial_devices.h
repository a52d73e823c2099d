// A fake device tree for the automatic COM links of this process: /dev/serial/by-id, /dev and
// /sys/class/tty inside a temporary folder, in place of the system's for as long as the object
// lives. A test adds by-id names that point at its own pseudo-terminals.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/com_ports.h"
#include "support/test_env.h"

class FakeSerialDevices {
  public:
    FakeSerialDevices() {
        roots_.devDir = dir_.path() + "dev/";
        roots_.byIdDir = roots_.devDir + "serial/by-id/";
        roots_.sysTtyDir = dir_.path() + "sys/";
        mkdir(roots_.devDir.c_str(), 0755);
        mkdir((roots_.devDir + "serial").c_str(), 0755);
        mkdir(roots_.byIdDir.c_str(), 0755);
        mkdir(roots_.sysTtyDir.c_str(), 0755);
        SetSystemSerialDeviceRoots(roots_);
    }
    ~FakeSerialDevices() { SetSystemSerialDeviceRoots(SerialDeviceRoots{}); }
    FakeSerialDevices(const FakeSerialDevices&) = delete;
    FakeSerialDevices& operator=(const FakeSerialDevices&) = delete;

    // A stable name /dev/serial/by-id/<name> for device; returns the name's path.
    std::string AddById(const std::string& name, const std::string& device) {
        const std::string path = roots_.byIdDir + name;
        return symlink(device.c_str(), path.c_str()) == 0 ? path : std::string();
    }
    const SerialDeviceRoots& roots() const { return roots_; }

  private:
    TempDir dir_;
    SerialDeviceRoots roots_;
};

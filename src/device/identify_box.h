// Finding and identifying the converter box on a COM port.
#pragma once

#include <string>

#include "device/SerialLink.h"
#include "device/SerialPortSettings.h"

// Device names: the identification's result, the panels' captions and the log's texts.
inline constexpr const char kDeviceNameIo[] = "QVX-I/O";
inline constexpr const char kDeviceNameAd[] = "QVX-A/D";
inline constexpr const char kDeviceNameDa[] = "QVX-D/A";

// The speeds the probe tries, in order.
inline constexpr int kProbeSpeeds[] = {9600, 19200, 38400, 115200};

// Identification results.
enum IdentifyResult : int {
    kIdentifyFound = 0,     // a box answered; deviceName is set
    kIdentifyNoPort = 1,    // the port cannot be opened; the link is closed
    kIdentifyNoAnswer = 2,  // the port opened but no box gave the expected answers
};

// Probes the speeds with "\n" until a line beginning with "?" comes back, then asks "I\n" (an I/O
// box answers "I...") and, if that was no I/O box, "U0\n" (an A/D box answers "U...", any other
// line means a D/A box). Fills port (8N1, portNumber, lineControl 1 when txOnly <= 0, the speed
// tried last) and deviceName ("" unless found). On return the link is open at the speed that
// answered, open at 115200 when none did, or closed when an open failed.
int IdentifyBox(SerialLink& link, SerialPortSettings& port, int portNumber, int txOnly,
                std::string& deviceName);

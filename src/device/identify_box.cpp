#include "device/identify_box.h"

namespace {

// Sends command (draining stale input first) and reads the answer line; false when no line came.
bool Ask(SerialLink& link, const char* command, int length, char* line) {
    link.Write(command, length, 0);
    int got = 0;
    return link.ReadLine(line, &got) == 0;
}

}  // namespace

int IdentifyBox(SerialLink& link, SerialPortSettings& port, int portNumber, int txOnly,
                std::string& deviceName) {
    port.byteSize = 8;
    port.parity = 0;
    port.stopBits = 1;
    port.portNumber = portNumber;
    port.lineControl = txOnly <= 0 ? 1 : 0;
    deviceName.clear();

    char line[SerialLink::kLineBufferSize];
    bool found = false;
    for (const int speed : kProbeSpeeds) {
        link.Close();
        port.baudRate = speed;
        if (link.Open(port) == kNoSerialHandle) return kIdentifyNoPort;
        if (port.lineControl == 1) link.SetModemLines(true);
        if (Ask(link, "\n", 1, line) && line[0] == '?') {
            found = true;
            break;
        }
    }
    if (!found) return kIdentifyNoAnswer;  // the link stays open at the last speed

    if (!Ask(link, "I\n", 2, line)) return kIdentifyNoAnswer;
    if (line[0] == 'I') {
        deviceName = kDeviceNameIo;
        return kIdentifyFound;
    }
    if (!Ask(link, "U0\n", 3, line)) return kIdentifyNoAnswer;
    deviceName = line[0] == 'U' ? kDeviceNameAd : kDeviceNameDa;
    return kIdentifyFound;
}

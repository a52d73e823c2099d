// The line settings a test opens COM number with: the given speed, everything else default.
#pragma once

#include "device/SerialPortSettings.h"

inline SerialPortSettings Port(int number, int baud = 9600) {
    SerialPortSettings port;
    port.portNumber = number;
    port.baudRate = baud;
    return port;
}

// The line parameters of one COM port.
#pragma once

#include <cstdint>

struct SerialPortSettings {
    int32_t portNumber = 0;   // COM number, 1 to 255
    int32_t baudRate = 0;     // bit/s
    int32_t byteSize = 8;     // data bits; only the low byte counts
    int32_t parity = 0;       // 0 none, 1 odd, other even
    int32_t stopBits = 1;     // 1 one stop bit, other two
    int32_t lineControl = 0;  // 0 DTR and RTS off, 1 both on
};

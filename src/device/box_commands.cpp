#include "device/box_commands.h"

#include <cstdio>

namespace {

constexpr double kAdVoltsPerCode = 0.0048828125;              // 20 / 4096
constexpr double kDaVoltsPerCode10 = 0.00015259021896696422;  // nearest double to 10 / 65535
constexpr double kDaVoltsPerCode20 = 0.00030518043793392844;  // nearest double to 20 / 65535

uint32_t HexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
    return 0;
}

char CharAt(const char* line, int length, int pos) {
    return pos < length ? line[pos] : '0';
}

template <class Int>
uint32_t ImageOf(const Int* states) {
    uint32_t image = 0;
    for (int i = 0; i < 8; ++i) {
        if (static_cast<int32_t>(states[i]) == 1) image |= 1u << i;
    }
    return image;
}

int Format(char* buffer, const char* format, uint32_t value) {
    return std::snprintf(buffer, kCommandBufferSize, format, value);
}

template <class Int>
void ParseInputs(const char* line, int length, Int* states) {
    const uint32_t image = HexField(line, length, 1, 2);
    for (int i = 0; i < 8; ++i) states[i] = static_cast<int32_t>((image >> i) & 1u);
}

template <class Int, class Double>
int ParseAnalog(const char* line, int length, int range, Int* raw, Double* volts) {
    int channel = CharAt(line, length, 1) - '0';
    if (channel < 0) channel = 0;
    if (channel > 7) channel = 7;
    const uint32_t code = HexField(line, length, 2, 3);
    raw[channel] = static_cast<int32_t>(code);
    volts[channel] = AdVolts(range, code);
    return channel;
}

}  // namespace

uint32_t HexValue(int count, const char* text) {
    uint32_t value = 0;
    uint32_t weight = 1;
    for (int i = count - 1; i >= 0; --i) {
        value += HexDigit(text[i]) * weight;
        weight *= 16;
    }
    return value;
}

uint32_t HexField(const char* line, int length, int offset, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value * 16 + HexDigit(CharAt(line, length, offset + i));
    return value;
}

double AdVolts(int range, uint32_t code) {
    const double volts = code * kAdVoltsPerCode;
    return range != 0 ? volts - 10.0 : volts;
}

uint32_t DaCode(int range, double volts) {
    const double quotient =
        range == 0 ? (volts - 0.0) / kDaVoltsPerCode10 : (volts + 10.0) / kDaVoltsPerCode20;
    // Also catches NaN: no comparison with it holds.
    if (!(quotient > 0.0)) return 0;
    if (quotient >= 65535.0) return 0xFFFF;
    return static_cast<uint32_t>(quotient);  // truncated toward zero
}

uint32_t BitImage(const int32_t states[8]) {
    return ImageOf(states);
}
uint32_t BitImage(const RelaxedAtomic<int32_t> states[8]) {
    return ImageOf(states);
}

int FormatOutputCommand(const int32_t states[8], char* buffer) {
    return Format(buffer, "O%02X\n", BitImage(states));
}
int FormatOutputCommand(const RelaxedAtomic<int32_t> states[8], char* buffer) {
    return Format(buffer, "O%02X\n", BitImage(states));
}
int FormatInterruptCommand(const int32_t states[8], char* buffer) {
    return Format(buffer, "W%02X\n", BitImage(states));
}
int FormatInterruptCommand(const RelaxedAtomic<int32_t> states[8], char* buffer) {
    return Format(buffer, "W%02X\n", BitImage(states));
}

int FormatVoltageCommand(int range, double volts, char* buffer) {
    return Format(buffer, "P%04X\n", DaCode(range, volts));
}

void ParseInputReply(const char* line, int length, int32_t states[8]) {
    ParseInputs(line, length, states);
}
void ParseInputReply(const char* line, int length, RelaxedAtomic<int32_t> states[8]) {
    ParseInputs(line, length, states);
}

int ParseAnalogReply(const char* line, int length, int range, int32_t raw[8], double volts[8]) {
    return ParseAnalog(line, length, range, raw, volts);
}
int ParseAnalogReply(const char* line, int length, int range, RelaxedAtomic<int32_t> raw[8],
                     RelaxedAtomic<double> volts[8]) {
    return ParseAnalog(line, length, range, raw, volts);
}

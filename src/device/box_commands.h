// The converter boxes' commands and replies: builders, parsers, hexadecimal fields and the
// voltage conversions. Every command ends in "\n"; every reply is one line (without its "\n")
// recognised by its first character.
//
//   any  "\n"        -> "?..."     presence probe            (identification)
//   any  "I\n"       -> "I..."     only an I/O box answers I (identification)
//   any  "U0\n"      -> "U..."     only an A/D box answers U (identification)
//   A/D  "Un\n"      -> "Unhhh"    input n (0..7), "0～20V" range
//   A/D  "Bn\n"      -> "Bnhhh"    input n (0..7), "-10～10V" range
//   D/A  "Phhhh\n"   -> "Phhhh"    set the output code; the echo repeats the first five chars
//   I/O  "Ohh\n"     -> "Ohh"      set the eight outputs; the echo repeats the first three chars
//   I/O  "I\n"       -> "Ihh"      the eight inputs
//   I/O  "Whh\n"     -> (none)     interrupt mask; the box then sends "Whh" when a masked input
//                                  changes, read exactly like "Ihh"
//
// Parsers take the line with its length. A line shorter than its fields reads every missing
// character as the digit 0 ("U3A" gives code 0xA00, "I" gives the image 0), and nothing past the
// line's end is ever read.
#pragma once

#include <cstdint>

#include "platform/relaxed_atomic.h"

constexpr int kCommandBufferSize = 1024;  // the builders' buffer; commands are at most 7 chars
constexpr int kAdChannels = 8;
constexpr int kIoChannels = 8;

// The value of the first count characters of text, most significant first: "0"-"9", "A"-"F",
// "a"-"f" are digits, every other character counts as 0. Unsigned 32-bit arithmetic.
uint32_t HexValue(int count, const char* text);

// The same for the count characters at offset of a line of length bytes; characters past the
// line's end count as the digit 0.
uint32_t HexField(const char* line, int length, int offset, int count);

// Volts of a 12-bit A/D code: code × 20/4096, minus 10 when range is non-zero ("-10～10V").
double AdVolts(int range, uint32_t code);

// The 16-bit D/A code of volts: range 0 is 0 to 10 V, non-zero −10 to 10 V; the quotient is
// truncated toward zero and a result above 0xFFFF becomes 0xFFFF. A voltage below the range's
// lower end (a negative voltage left over after switching to 0 to 10 V) gives the code 0 rather
// than a negative value that "P%04X" would print with eight digits.
uint32_t DaCode(int range, double volts);

// The bit image of eight states; a state counts as set only when it is exactly 1.
uint32_t BitImage(const int32_t states[8]);
uint32_t BitImage(const RelaxedAtomic<int32_t> states[8]);

// The builders write the command with its "\n" and a NUL into buffer (kCommandBufferSize bytes)
// and return its length.
int FormatOutputCommand(const int32_t states[8], char* buffer);  // "O%02X\n"
int FormatOutputCommand(const RelaxedAtomic<int32_t> states[8], char* buffer);
int FormatInterruptCommand(const int32_t states[8], char* buffer);  // "W%02X\n"
int FormatInterruptCommand(const RelaxedAtomic<int32_t> states[8], char* buffer);
int FormatVoltageCommand(int range, double volts, char* buffer);  // "P%04X\n"

// "Ihh" or "Whh": input state i = bit i of the two hex digits after the first character.
void ParseInputReply(const char* line, int length, int32_t states[8]);
void ParseInputReply(const char* line, int length, RelaxedAtomic<int32_t> states[8]);

// "Unhhh" or "Bnhhh": channel n (below "0" counts as 0, above "7" as 7) gets the raw code of the
// three hex digits and its volts in range; nothing else changes. Returns the channel.
int ParseAnalogReply(const char* line, int length, int range, int32_t raw[8], double volts[8]);
int ParseAnalogReply(const char* line, int length, int range, RelaxedAtomic<int32_t> raw[8],
                     RelaxedAtomic<double> volts[8]);

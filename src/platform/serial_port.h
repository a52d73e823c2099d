// The thin layer between the serial link and a tty: the only code that calls termios and the
// tty ioctls. Every call takes a file descriptor and never blocks longer than it says.
#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>

struct SerialPortSettings;

// Opens path for reading and writing without making it the controlling terminal and without
// blocking, and takes it exclusively (TIOCEXCL, and a non-blocking flock so that another holder,
// root included, makes the open fail). Returns the descriptor, or -1 with errno set when the
// path cannot be opened (open's own errno: ENOENT, EACCES, ...), is no tty (ENOTTY) or is held
// by someone else (EBUSY).
int SpOpenExclusive(const char* path);

void SpClose(int fd);

// Applies the line parameters: speed (standard speeds only; another value leaves the speed as it
// was), CS5..CS8 from the low byte of byteSize (another value leaves the size as it was),
// parity, stop bits, no flow control, raw input and output, CLOCAL and CREAD. A refusal by the
// driver is ignored.
void SpConfigure(int fd, const SerialPortSettings& settings);

// The termios change SpConfigure makes, on a termios read from the port. (Ptys force 8 data
// bits and no parity whatever is asked, so this is where the mapping can be checked.)
void SpApplySettings(termios* tio, const SerialPortSettings& settings);

// Raises (on) or drops DTR and RTS. Ptys refuse this; the refusal is ignored.
void SpSetModemLines(int fd, bool on);

// Bytes waiting to be read (FIONREAD); 0 when the call fails.
int SpBytesWaiting(int fd);

// Bytes still to be sent (TIOCOUTQ); 0 when the call fails.
int SpBytesQueuedOut(int fd);

// Discards the input the driver holds.
void SpFlushInput(int fd);

// Reads at most max bytes without waiting: the number read, 0 when nothing was there, on an
// error, or from a device that went away.
int SpRead(int fd, uint8_t* bytes, int max);

// Writes all length bytes, waiting at most timeoutMs in all for the descriptor to take more.
// Returns true when every byte went out; false on an I/O error (EIO of a device that went away,
// a hang-up) or when the time ran out first.
bool SpWriteAll(int fd, const void* bytes, size_t length, int timeoutMs);

// The speed the line is set to (the input speed of tcgetattr) in bit/s, or 0 when unknown.
// On a pty master this is the speed the other side set on the slave.
int SpLineSpeed(int fd);

// The termios speed constant for bit/s, or 0 when it is no standard speed.
unsigned SpSpeedConstant(int bitsPerSecond);

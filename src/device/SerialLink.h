// One owned COM port: open and configure it, write a command, read single bytes without ever
// blocking, read one reply line within 500 ms, clear the input side, close.
//
// Two transports lie under the same calls, chosen by the COM entry: a tty (termios), or a
// network serial port when the entry's link text is "rfc2217://HOST:PORT" (a TCP connection to
// an RFC 2217 server such as ser2net). A network port whose connection ends behaves as a device
// that was unplugged: writes fail, reads find nothing, line reads time out.
//
// Results are plain integers: 0 done, 1 a failed write or nothing read, 99 no port open (write)
// or no complete line in time (read line). Nothing throws.
#pragma once

#include <cstdint>
#include <string>

#include "device/SerialPortSettings.h"
#include "device/network_port.h"
#include "platform/relaxed_atomic.h"

using SerialHandle = int;
constexpr SerialHandle kNoSerialHandle = -1;

class SerialLink {
  public:
    static constexpr int kLineBufferSize = 1024;  // ReadLine's buffer
    static constexpr int kMaxLine = 1023;         // bytes that make a line even without "\n"
    static constexpr int kLineTimeoutMs = 500;
    static constexpr int kWriteTimeoutConstantMs = 1000;  // write time-out: this ...
    static constexpr int kWriteTimeoutPerByteMs = 1000;   // ... plus this per byte

    SerialLink() = default;
    ~SerialLink() { Close(); }
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // The settings folder whose COM port folder names the ports (see platform/com_ports.h).
    // Start-up sets it once; with $VANTREL_COM_DIR set it does not matter.
    static void SetSettingsFolder(const std::string& folder);
    static std::string SettingsFolder();

    // Opens COM settings.portNumber (1..255) exclusively, applies the line parameters with DTR
    // and RTS off, and clears the input side. Returns the handle, or kNoSerialHandle when the
    // number is out of range or the port cannot be opened (the link is then unchanged). A
    // network port is connected within NetworkPort::kConnectTimeoutMs and each answer of its
    // server awaited at most NetworkPort::kAnswerTimeoutMs.
    SerialHandle Open(const SerialPortSettings& settings);
    // Why the last Open failed, as the system said it (an errno value: ENOENT for a COM number
    // with no entry or an entry whose device is gone, EACCES, ENOTTY, EBUSY, ...; EINVAL for a
    // number outside 1..255; for a network port ECONNREFUSED, ETIMEDOUT, EHOSTUNREACH, ENXIO for
    // a host name that does not resolve, EPROTO for a server without RFC 2217, and the others
    // NetworkPort::Open names), or 0 after an Open that succeeded.
    int LastOpenError() const { return openError_.load(); }
    void Close();

    // Writes length bytes. keepInput 0 first reads and discards all input already waiting.
    // 0 done, 1 the write failed (or did not finish within the write time-out), 99 no port.
    int Write(const char* bytes, int length, int keepInput);

    // Reads at most one waiting byte into buffer[0] and sets buffer[1] to NUL: 0 read, 1 nothing.
    int ReadByte(char buffer[2]);

    // Discards the input the driver holds, then waits (at most the write time-out constant) until
    // the output queue is empty.
    void PurgeInput();

    // Collects one line ending in "\n" (not stored; a "\r" before it is kept) into buffer
    // (kLineBufferSize bytes), NUL-terminated. 0 with *length set, or 99 when no non-empty line
    // came within 500 ms. 1023 bytes without "\n" count as a whole line.
    int ReadLine(char* buffer, int* length);

    // Raises or drops DTR and RTS on the open port; ignored when closed or refused.
    void SetModemLines(bool on);

    // True when bytes taken from the port wait in the link for the next read (they do not make
    // ReadableFd readable).
    bool InputBuffered() const { return inNext_ < inCount_ || (network_.load() && net_.HasKept()); }

    bool IsOpen() const { return handle_.load() != kNoSerialHandle; }
    SerialHandle handle() const { return handle_.load(); }
    bool IsNetworkPort() const { return network_.load(); }

    // The descriptor that becomes readable when input may be waiting (the tty, or the socket of
    // a network port), for a caller that sleeps in poll() between steps; -1 when the link is
    // closed, or when a network port's connection has ended (nothing will come any more: poll
    // then just sleeps its time-out). A readable socket may hold only telnet commands, and a
    // tty that was unplugged reports POLLHUP for ever: after poll() the caller reads with
    // ReadByte, which never waits, and sleeps its normal step when nothing came. Bytes already
    // taken from the descriptor wait here without making it readable, so poll only once
    // ReadByte has found nothing.
    int ReadableFd() const;

  private:
    // One waiting byte, or -1: the step both ReadByte and ReadLine are made of.
    int NextByte();
    // ReadLine's pause: until bytes arrive or its time limit, counted from start, has passed.
    void WaitForInput(uint32_t start);

    // Bytes still to go out on the open port (the tty's queue, or the socket's).
    int BytesQueuedOut(SerialHandle fd) const;

    // The handle passes from the panel's window thread to its worker and back. For a network
    // port it is the socket, and network_ is true while it is open.
    RelaxedAtomic<SerialHandle> handle_{kNoSerialHandle};
    RelaxedAtomic<bool> network_{false};
    // The network transport's session; used, like inBytes_, only by the thread using the link.
    NetworkPort net_;
    RelaxedAtomic<int> openError_{0};
    // Bytes already taken from the driver and not yet handed out. A worker reads a reply byte by
    // byte; taking what is waiting in one read keeps that to one system call per reply instead
    // of two per byte. Used only by the thread that reads (the window before the worker exists,
    // then the worker).
    static constexpr int kInBytes = 64;
    uint8_t inBytes_[kInBytes] = {};
    int inNext_ = 0;
    int inCount_ = 0;
};

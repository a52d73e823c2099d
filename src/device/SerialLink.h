// One owned COM port: open and configure it, write a command, read single bytes without ever
// blocking, read one reply line within 500 ms, clear the input side, close.
//
// Results are plain integers: 0 done, 1 a failed write or nothing read, 99 no port open (write)
// or no complete line in time (read line). Nothing throws.
#pragma once

#include <cstdint>
#include <string>

#include "device/SerialPortSettings.h"
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
    // number is out of range or the port cannot be opened (the link is then unchanged).
    SerialHandle Open(const SerialPortSettings& settings);
    // Why the last Open failed, as the system said it (an errno value: ENOENT for a COM number
    // with no entry or an entry whose device is gone, EACCES, ENOTTY, EBUSY, ...; EINVAL for a
    // number outside 1..255), or 0 after an Open that succeeded.
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

    bool IsOpen() const { return handle_.load() != kNoSerialHandle; }
    SerialHandle handle() const { return handle_.load(); }

  private:
    // One waiting byte, or -1: the step both ReadByte and ReadLine are made of.
    int NextByte();

    // The handle passes from the panel's window thread to its worker and back.
    RelaxedAtomic<SerialHandle> handle_{kNoSerialHandle};
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

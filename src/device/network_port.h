// A network serial port: a TCP connection to an RFC 2217 server (ser2net) that carries the
// data and sets the remote port's line as the tty layer sets a local one. The serial link's
// second transport.
//
// Like the tty calls, every call takes the socket the link holds, so that the link's handle stays
// the one thing that says whether it is open. The state here (the telnet decoder, decoded bytes
// not yet handed out) belongs to the thread that uses the link; Open starts it afresh.
//
// A connection that ends (the server stopped, the network gone) leaves the port "lost": as a
// device that was unplugged, writes fail, reads find nothing, and no system call is made for it
// any more until the link is closed.
#pragma once

#include <cstdint>
#include <string>

#include "device/SerialPortSettings.h"
#include "device/telnet_codec.h"
#include "platform/relaxed_atomic.h"

class NetworkPort {
  public:
    static constexpr int kConnectTimeoutMs = 2000;  // name lookup and TCP connect together
    // Each of the server's answers that opening waits for: the agreement to COM-PORT-OPTION,
    // the speed in effect, the purge done. A server that does not answer the speed or the purge
    // in time is not waited for longer; one that never agrees to COM-PORT-OPTION fails the open.
    static constexpr int kAnswerTimeoutMs = 1000;

    // Connects to what linkText ("rfc2217://HOST:PORT") names, negotiates the telnet options,
    // sets the line (speed, data bits, parity, stop bits, no flow control; the speed's answer is
    // awaited so that the next bytes go out at that speed) and drops DTR and RTS. Returns the
    // socket, or -1 with *error: EINVAL for a malformed URL, the connect's errno (ECONNREFUSED,
    // ETIMEDOUT, EHOSTUNREACH, ENXIO for a name that does not resolve, ...), EPROTO when the
    // server does not agree to COM-PORT-OPTION in time, EBUSY when it says its port is in use
    // (ser2net's "Port already in use"), ECONNRESET when it ends the connection otherwise.
    int Open(const std::string& linkText, const SerialPortSettings& settings, int* error);

    // Hands out at most max data bytes that are waiting, without waiting: the number, 0 when
    // none (also when only telnet commands came, or the connection is lost).
    int Receive(int fd, uint8_t* data, int max);

    // Sends the bytes (255 doubled) within timeoutMs; false when they did not all go out.
    bool Send(int fd, const char* bytes, int length, int timeoutMs);

    // Asks the server to purge its receive buffer (bytes from the device not yet sent here) and
    // drops every byte that came before its answer.
    void PurgeInput(int fd);

    // DTR and RTS on or off through SET-CONTROL. The answers are not awaited (ser2net on a
    // pseudo-terminal never answers them).
    void SetModemLines(int fd, bool on);

    // True while bytes received during a wait for an answer are kept for Receive.
    bool HasKept() const { return keptNext_ < keptCount_; }

    // True once the connection has ended; cleared by Open.
    bool lost() const { return lost_.load(); }

    // The decoder, for tests.
    const TelnetCodec& codec() const { return codec_; }

  private:
    enum class Wait { kDone, kTimedOut, kEnded };
    // Reads and decodes what the server sends, answering its requests, until done() holds or
    // timeoutMs passed. Data bytes older than the moment done() came true are dropped; those
    // after it in the same read are kept for Receive.
    template <class Done>
    Wait Await(int fd, int timeoutMs, Done done);
    bool SendRaw(int fd, const std::string& bytes);
    void SendAnswers(int fd);
    void MarkLost() { lost_.store(true); }
    void Keep(const uint8_t* data, size_t count);
    // The open's failure for a connection the server ended while opening.
    int EndedReason() const;

    TelnetCodec codec_;
    RelaxedAtomic<bool> lost_{false};
    // Decoded data bytes that came in the same read as an awaited answer, not yet handed out.
    static constexpr size_t kKept = 256;
    uint8_t kept_[kKept] = {};
    size_t keptNext_ = 0;
    size_t keptCount_ = 0;
    // The start of the text a server sent while the port was being opened (ser2net tells why it
    // ends a connection in words).
    std::string openText_;
    std::string out_;  // the encoded bytes of the last Send, kept to reuse its memory
};

// The client side of a telnet session with the COM-PORT-OPTION (RFC 854/855, RFC 2217), as a
// network serial port server (ser2net) speaks it. Bytes in, data bytes and events out: no I/O,
// so it is driven and tested by feeding it buffers.
//
//   TelnetCodec codec;
//   send(codec.Start());                       // the options this client asks for
//   n = codec.Decode(received, count, data);   // data bytes only; commands are taken out
//   send(codec.TakeAnswers());                 // answers the server's requests asked for
//   codec.EncodeData(bytes, length, &out);     // IAC doubled, ready to send
//
// A command or sub-negotiation may be split across any two reads: the decoder keeps its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace telnet {

constexpr uint8_t kIac = 255;
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;
constexpr uint8_t kSe = 240;

constexpr uint8_t kOptionBinary = 0;
constexpr uint8_t kOptionSuppressGoAhead = 3;
constexpr uint8_t kOptionComPort = 44;

// COM-PORT-OPTION commands, client to server; the server answers with the code plus 100.
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerOffset = 100;
constexpr uint8_t kNotifyLineState = 106;
constexpr uint8_t kNotifyModemState = 107;

// Values of SET-PARITY, SET-STOPSIZE, SET-CONTROL and PURGE-DATA.
constexpr uint8_t kParityNone = 1;
constexpr uint8_t kParityOdd = 2;
constexpr uint8_t kParityEven = 3;
constexpr uint8_t kStopOne = 1;
constexpr uint8_t kStopTwo = 2;
constexpr uint8_t kControlNoFlowControl = 1;
constexpr uint8_t kControlDtrOn = 8;
constexpr uint8_t kControlDtrOff = 9;
constexpr uint8_t kControlRtsOn = 11;
constexpr uint8_t kControlRtsOff = 12;
constexpr uint8_t kControlNoInboundFlowControl = 14;
constexpr uint8_t kPurgeReceiveBuffer = 1;

}  // namespace telnet

class TelnetCodec {
  public:
    // Where the COM-PORT-OPTION stands: asked for, agreed by the server (DO), or refused (DONT).
    enum class ComPort { kAsked, kAgreed, kRefused };

    TelnetCodec() { Reset(); }

    // Forgets everything of an earlier session.
    void Reset();

    // What the client sends first: it will and asks the server to do BINARY and
    // SUPPRESS-GO-AHEAD, and it will do COM-PORT-OPTION.
    std::string Start();

    // Takes count received bytes and writes the data bytes among them to data, which has room
    // for count bytes; returns how many it wrote. Commands never reach data. Answers the server's
    // requests need are kept for TakeAnswers.
    size_t Decode(const uint8_t* bytes, size_t count, uint8_t* data);

    // The answers collected by Decode since the last call (each request answered once).
    std::string TakeAnswers();
    bool HasAnswers() const { return !answers_.empty(); }

    // Appends length data bytes to out as they travel: 255 doubled; outside binary mode a CR is
    // followed by NUL.
    void EncodeData(const uint8_t* bytes, size_t length, std::string* out) const;

    // IAC SB COM-PORT-OPTION code value IAC SE, value bytes 255 doubled.
    static std::string ComPortCommand(uint8_t command, const uint8_t* value, size_t length);
    static std::string ComPortCommand(uint8_t command, uint8_t value) {
        return ComPortCommand(command, &value, 1);
    }
    static std::string SetBaudRateCommand(uint32_t bitsPerSecond);

    ComPort comPort() const { return comPort_; }
    // How many answers to a COM-PORT-OPTION command (the client's code, 1..99) came so far, and
    // the value of the last one (up to four bytes, most significant first, as SET-BAUDRATE's).
    uint32_t AnswerCount(uint8_t command) const;
    uint32_t AnswerValue(uint8_t command) const;
    // The last NOTIFY-LINESTATE and NOTIFY-MODEMSTATE values (0 before any came).
    uint8_t lineState() const { return lineState_; }
    uint8_t modemState() const { return modemState_; }
    bool binaryIn() const { return remoteBinary_; }
    bool binaryOut() const { return localBinary_; }

    // Sub-negotiation payload kept at most (a longer one is read to its end, its tail dropped).
    static constexpr size_t kMaxSubnegotiation = 32;

  private:
    enum class State { kData, kIac, kOption, kSb, kSbIac, kCr };
    void OnOption(uint8_t verb, uint8_t option);
    void OnSubnegotiation();
    void Answer(uint8_t verb, uint8_t option);
    // Options this client takes on itself (WILL) and asks of the server (DO).
    static bool WeWill(uint8_t option);
    static bool WeWantServerTo(uint8_t option);

    State state_ = State::kData;
    uint8_t verb_ = 0;
    uint8_t sb_[kMaxSubnegotiation] = {};
    size_t sbLength_ = 0;
    std::string answers_;

    // Per option: on here (we do it), on there (the server does it), asked and not yet answered,
    // and refused once already (a repeated request for a refused option is not answered again).
    bool localOn_[256];
    bool remoteOn_[256];
    bool localAsked_[256];
    bool remoteAsked_[256];
    bool localRefused_[256];
    bool remoteRefused_[256];
    bool localBinary_ = false;
    bool remoteBinary_ = false;
    ComPort comPort_ = ComPort::kAsked;
    uint32_t answerCount_[100];
    uint32_t answerValue_[100];
    uint8_t lineState_ = 0;
    uint8_t modemState_ = 0;
};

#include "device/telnet_codec.h"

#include <algorithm>
#include <cstring>

using namespace telnet;

void TelnetCodec::Reset() {
    state_ = State::kData;
    verb_ = 0;
    sbLength_ = 0;
    answers_.clear();
    std::fill(std::begin(localOn_), std::end(localOn_), false);
    std::fill(std::begin(remoteOn_), std::end(remoteOn_), false);
    std::fill(std::begin(localAsked_), std::end(localAsked_), false);
    std::fill(std::begin(remoteAsked_), std::end(remoteAsked_), false);
    std::fill(std::begin(localRefused_), std::end(localRefused_), false);
    std::fill(std::begin(remoteRefused_), std::end(remoteRefused_), false);
    localBinary_ = remoteBinary_ = false;
    comPort_ = ComPort::kAsked;
    std::fill(std::begin(answerCount_), std::end(answerCount_), 0u);
    std::fill(std::begin(answerValue_), std::end(answerValue_), 0u);
    lineState_ = modemState_ = 0;
}

bool TelnetCodec::WeWill(uint8_t option) {
    return option == kOptionBinary || option == kOptionSuppressGoAhead || option == kOptionComPort;
}

bool TelnetCodec::WeWantServerTo(uint8_t option) {
    return option == kOptionBinary || option == kOptionSuppressGoAhead;
}

std::string TelnetCodec::Start() {
    std::string out;
    for (const uint8_t option : {kOptionBinary, kOptionSuppressGoAhead}) {
        out += {static_cast<char>(kIac), static_cast<char>(kWill), static_cast<char>(option)};
        out += {static_cast<char>(kIac), static_cast<char>(kDo), static_cast<char>(option)};
        localAsked_[option] = remoteAsked_[option] = true;
    }
    out += {static_cast<char>(kIac), static_cast<char>(kWill), static_cast<char>(kOptionComPort)};
    localAsked_[kOptionComPort] = true;
    comPort_ = ComPort::kAsked;
    return out;
}

void TelnetCodec::Answer(uint8_t verb, uint8_t option) {
    answers_ += {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

std::string TelnetCodec::TakeAnswers() {
    std::string out;
    out.swap(answers_);
    return out;
}

// The four verbs, each answered at most once: a request for what is already so, or the answer
// to our own request, gets no reply, so that two parties never echo each other forever.
void TelnetCodec::OnOption(uint8_t verb, uint8_t option) {
    // DO and DONT are about this side's use of the option, WILL and WONT about the server's.
    const bool ours = verb == kDo || verb == kDont;
    bool* on = ours ? localOn_ : remoteOn_;
    bool* asked = ours ? localAsked_ : remoteAsked_;
    bool* refused = ours ? localRefused_ : remoteRefused_;
    const uint8_t agree = ours ? kWill : kDo;
    const uint8_t decline = ours ? kWont : kDont;
    if (verb == kDo || verb == kWill) {  // a request, or the agreement to ours
        if (!(ours ? WeWill(option) : WeWantServerTo(option))) {
            if (!refused[option]) Answer(decline, option);
            refused[option] = true;
        } else {
            if (!on[option] && !asked[option]) Answer(agree, option);
            on[option] = true;
            asked[option] = false;
        }
    } else {  // DONT or WONT: a refusal of ours, or the option switched off
        if (on[option]) Answer(decline, option);
        on[option] = false;
        asked[option] = false;
    }
    localBinary_ = localOn_[kOptionBinary];
    remoteBinary_ = remoteOn_[kOptionBinary];
    if (option == kOptionComPort && ours) {
        comPort_ = localOn_[kOptionComPort] ? ComPort::kAgreed : ComPort::kRefused;
    }
}

void TelnetCodec::OnSubnegotiation() {
    // sb_[0] is the option, sb_[1] the COM-PORT-OPTION code, the rest its value.
    if (sbLength_ < 2 || sb_[0] != kOptionComPort) return;
    const uint8_t code = sb_[1];
    if (code <= kServerOffset || code >= kServerOffset + 100) return;  // not a server's answer
    uint32_t value = 0;
    for (size_t i = 2; i < sbLength_ && i < 6; ++i) value = (value << 8) | sb_[i];
    const uint8_t command = static_cast<uint8_t>(code - kServerOffset);
    ++answerCount_[command];
    answerValue_[command] = value;
    if (sbLength_ > 2 && code == kNotifyLineState) lineState_ = sb_[2];
    if (sbLength_ > 2 && code == kNotifyModemState) modemState_ = sb_[2];
}

size_t TelnetCodec::Decode(const uint8_t* bytes, size_t count, uint8_t* data) {
    size_t out = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        switch (state_) {
            case State::kCr:
                // Outside binary mode a CR travels as CR NUL or CR LF; the NUL is no data.
                state_ = State::kData;
                if (b == 0) break;
                [[fallthrough]];
            case State::kData:
                if (b == kIac) {
                    state_ = State::kIac;
                } else {
                    data[out++] = b;
                    if (b == '\r' && !remoteBinary_) state_ = State::kCr;
                }
                break;
            case State::kIac:
                if (b == kIac) {  // a data byte 255
                    data[out++] = b;
                    state_ = State::kData;
                } else if (b == kDo || b == kDont || b == kWill || b == kWont) {
                    verb_ = b;
                    state_ = State::kOption;
                } else if (b == kSb) {
                    sbLength_ = 0;
                    state_ = State::kSb;
                } else {
                    state_ = State::kData;  // NOP, GA, DM, BRK, ...: nothing to do here
                }
                break;
            case State::kOption:
                OnOption(verb_, b);
                state_ = State::kData;
                break;
            case State::kSb:
                if (b == kIac) {
                    state_ = State::kSbIac;
                } else if (sbLength_ < kMaxSubnegotiation) {
                    sb_[sbLength_++] = b;
                }
                break;
            case State::kSbIac:
                if (b == kSe) {
                    OnSubnegotiation();
                    state_ = State::kData;
                } else if (b == kIac) {
                    if (sbLength_ < kMaxSubnegotiation) sb_[sbLength_++] = b;
                    state_ = State::kSb;
                } else {
                    // A command inside a sub-negotiation ends it unfinished; the command counts.
                    state_ = State::kIac;
                    --i;
                }
                break;
        }
    }
    return out;
}

void TelnetCodec::EncodeData(const uint8_t* bytes, size_t length, std::string* out) const {
    for (size_t i = 0; i < length; ++i) {
        const char c = static_cast<char>(bytes[i]);
        out->push_back(c);
        if (bytes[i] == kIac) out->push_back(c);
        if (bytes[i] == '\r' && !localBinary_) out->push_back('\0');
    }
}

std::string TelnetCodec::ComPortCommand(uint8_t command, const uint8_t* value, size_t length) {
    std::string out = {static_cast<char>(kIac), static_cast<char>(kSb),
                       static_cast<char>(kOptionComPort), static_cast<char>(command)};
    for (size_t i = 0; i < length; ++i) {
        out.push_back(static_cast<char>(value[i]));
        if (value[i] == kIac) out.push_back(static_cast<char>(kIac));
    }
    out += {static_cast<char>(kIac), static_cast<char>(kSe)};
    return out;
}

std::string TelnetCodec::SetBaudRateCommand(uint32_t bitsPerSecond) {
    const uint8_t value[4] = {
        static_cast<uint8_t>(bitsPerSecond >> 24), static_cast<uint8_t>(bitsPerSecond >> 16),
        static_cast<uint8_t>(bitsPerSecond >> 8), static_cast<uint8_t>(bitsPerSecond)};
    return ComPortCommand(kSetBaudRate, value, sizeof value);
}

uint32_t TelnetCodec::AnswerCount(uint8_t command) const {
    return command < 100 ? answerCount_[command] : 0;
}

uint32_t TelnetCodec::AnswerValue(uint8_t command) const {
    return command < 100 ? answerValue_[command] : 0;
}

#include "device/network_port.h"

#include <algorithm>
#include <cerrno>

#include "platform/com_ports.h"
#include "platform/fd_wait.h"
#include "platform/tcp_socket.h"

using namespace telnet;

namespace {

// Telnet answers and RFC 2217 commands are a few bytes; a server that takes none of them for
// this long is as good as gone.
constexpr int kCommandSendTimeoutMs = 1000;
constexpr size_t kOpenTextKept = 128;

uint8_t DataSizeValue(const SerialPortSettings& s) {
    const int size = s.byteSize & 0xFF;
    return size >= 5 && size <= 8 ? static_cast<uint8_t>(size) : 0;  // 0 keeps the server's
}

uint8_t ParityValue(const SerialPortSettings& s) {
    return s.parity == 0 ? kParityNone : s.parity == 1 ? kParityOdd : kParityEven;
}

uint8_t StopSizeValue(const SerialPortSettings& s) {
    return s.stopBits == 1 ? kStopOne : kStopTwo;
}

}  // namespace

bool NetworkPort::SendRaw(int fd, const std::string& bytes) {
    if (lost()) return false;
    if (bytes.empty()) return true;
    if (TcpSendAll(fd, bytes.data(), bytes.size(), kCommandSendTimeoutMs)) return true;
    if (errno != ETIMEDOUT) MarkLost();
    return false;
}

void NetworkPort::SendAnswers(int fd) {
    if (codec_.HasAnswers()) SendRaw(fd, codec_.TakeAnswers());
}

void NetworkPort::Keep(const uint8_t* data, size_t count) {
    if (keptNext_ == keptCount_) keptNext_ = keptCount_ = 0;
    for (size_t i = 0; i < count && keptCount_ < kKept; ++i) kept_[keptCount_++] = data[i];
}

template <class Done>
NetworkPort::Wait NetworkPort::Await(int fd, int timeoutMs, Done done) {
    const int64_t deadline = MonotonicMs() + timeoutMs;
    uint8_t raw[256];
    uint8_t data[sizeof raw];
    while (!done()) {
        const int64_t left = deadline - MonotonicMs();
        if (left <= 0) return Wait::kTimedOut;
        if (!WaitReadable(fd, static_cast<int>(left))) continue;
        const int got = TcpReceive(fd, raw, sizeof raw);
        if (got < 0) {
            MarkLost();
            return Wait::kEnded;
        }
        // One byte at a time, so that what follows the awaited answer is told apart from what
        // came before it.
        int i = 0;
        for (; i < got && !done(); ++i) {
            if (codec_.Decode(raw + i, 1, data) == 1 && openText_.size() < kOpenTextKept) {
                openText_.push_back(static_cast<char>(data[0]));
            }
        }
        if (i < got) {
            const size_t n = codec_.Decode(raw + i, static_cast<size_t>(got - i), data);
            Keep(data, n);
            openText_.append(
                reinterpret_cast<const char*>(data),
                std::min(n, kOpenTextKept - std::min(kOpenTextKept, openText_.size())));
        }
        SendAnswers(fd);
        if (lost()) return Wait::kEnded;
    }
    return Wait::kDone;
}

int NetworkPort::EndedReason() const {
    return openText_.find("in use") != std::string::npos ? EBUSY : ECONNRESET;
}

int NetworkPort::Open(const std::string& linkText, const SerialPortSettings& settings, int* error) {
    codec_.Reset();
    lost_.store(false);
    keptNext_ = keptCount_ = 0;
    openText_.clear();

    NetworkPortAddress address;
    if (!ParseNetworkPort(linkText, &address)) {
        *error = EINVAL;
        return -1;
    }
    const int fd = TcpConnect(address.host, address.port, kConnectTimeoutMs);
    if (fd < 0) {
        *error = errno != 0 ? errno : EIO;
        return -1;
    }
    const auto fail = [&](int reason) {
        TcpClose(fd);
        *error = reason;
        return -1;
    };

    // The options first: without COM-PORT-OPTION the line cannot be set, and a box that answers
    // only at its own speed would never be found.
    if (!SendRaw(fd, codec_.Start())) return fail(ECONNRESET);
    switch (Await(fd, kAnswerTimeoutMs,
                  [&] { return codec_.comPort() != TelnetCodec::ComPort::kAsked; })) {
        case Wait::kDone:
            break;
        case Wait::kTimedOut:
            return fail(EPROTO);
        case Wait::kEnded:
            return fail(EndedReason());
    }
    if (codec_.comPort() != TelnetCodec::ComPort::kAgreed) return fail(EPROTO);

    // The line, the speed last: its answer says that the server has applied all of them, so
    // the next data bytes reach the device at the new speed.
    const uint32_t speedAnswers = codec_.AnswerCount(kSetBaudRate);
    const uint32_t speed = settings.baudRate > 0 ? static_cast<uint32_t>(settings.baudRate) : 0;
    const std::string line =
        TelnetCodec::ComPortCommand(kSetDataSize, DataSizeValue(settings)) +
        TelnetCodec::ComPortCommand(kSetParity, ParityValue(settings)) +
        TelnetCodec::ComPortCommand(kSetStopSize, StopSizeValue(settings)) +
        TelnetCodec::ComPortCommand(kSetControl, kControlNoFlowControl) +
        TelnetCodec::ComPortCommand(kSetControl, kControlNoInboundFlowControl) +
        TelnetCodec::SetBaudRateCommand(speed);
    if (!SendRaw(fd, line)) return fail(lost() ? EndedReason() : ETIMEDOUT);
    if (Await(fd, kAnswerTimeoutMs,
              [&] { return codec_.AnswerCount(kSetBaudRate) != speedAnswers; }) == Wait::kEnded) {
        return fail(EndedReason());
    }
    SetModemLines(fd, false);  // the open leaves DTR and RTS off
    if (lost()) return fail(EndedReason());
    return fd;
}

int NetworkPort::Receive(int fd, uint8_t* data, int max) {
    if (max <= 0) return 0;
    if (keptNext_ < keptCount_) {
        int n = 0;
        while (n < max && keptNext_ < keptCount_) data[n++] = kept_[keptNext_++];
        return n;
    }
    if (lost()) return 0;
    // What is received decodes to as many data bytes or fewer, so max raw bytes fit in data.
    const int got = TcpReceive(fd, data, max);
    if (got < 0) {
        MarkLost();
        return 0;
    }
    if (got == 0) return 0;
    const size_t n = codec_.Decode(data, static_cast<size_t>(got), data);
    SendAnswers(fd);
    return static_cast<int>(n);
}

bool NetworkPort::Send(int fd, const char* bytes, int length, int timeoutMs) {
    if (lost()) return false;
    out_.clear();
    codec_.EncodeData(reinterpret_cast<const uint8_t*>(bytes), static_cast<size_t>(length), &out_);
    if (TcpSendAll(fd, out_.data(), out_.size(), timeoutMs)) return true;
    if (errno != ETIMEDOUT) MarkLost();
    return false;
}

void NetworkPort::PurgeInput(int fd) {
    keptNext_ = keptCount_ = 0;
    if (lost()) return;
    const uint32_t purges = codec_.AnswerCount(kPurgeData);
    if (!SendRaw(fd, TelnetCodec::ComPortCommand(kPurgeData, kPurgeReceiveBuffer))) return;
    // Everything before the answer is older than the purge; a server that does not answer is
    // not waited for longer, and what it sent meanwhile is dropped all the same.
    if (Await(fd, kAnswerTimeoutMs, [&] { return codec_.AnswerCount(kPurgeData) != purges; }) ==
        Wait::kTimedOut) {
        keptNext_ = keptCount_ = 0;
    }
}

void NetworkPort::SetModemLines(int fd, bool on) {
    SendRaw(fd, TelnetCodec::ComPortCommand(kSetControl, on ? kControlDtrOn : kControlDtrOff) +
                    TelnetCodec::ComPortCommand(kSetControl, on ? kControlRtsOn : kControlRtsOff));
}

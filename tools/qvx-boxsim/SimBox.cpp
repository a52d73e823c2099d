#include "SimBox.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool AllHex(const std::string& s, size_t from, size_t count) {
    if (s.size() != from + count) return false;
    for (size_t i = from; i < s.size(); ++i) {
        if (!IsHex(s[i])) return false;
    }
    return true;
}

uint32_t Hex(const std::string& s, size_t from) {
    return static_cast<uint32_t>(std::strtoul(s.c_str() + from, nullptr, 16));
}

std::string Format(const char* format, uint32_t a, uint32_t b = 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

bool ParseCount(const std::string& text, const char* prefix, int* count) {
    const std::string p(prefix);
    if (text.compare(0, p.size(), p) != 0) return false;
    char* end = nullptr;
    const long n = std::strtol(text.c_str() + p.size(), &end, 10);
    if (end == text.c_str() + p.size() || *end != '\0' || n < 0 || n > 1000000) return false;
    *count = static_cast<int>(n);
    return true;
}

}  // namespace

bool ParseFailMode(const std::string& text, FailMode* mode) {
    FailMode m;
    if (text == "none") {
        m.kind = FailMode::kNone;
    } else if (text == "silent") {
        m.kind = FailMode::kSilent;
    } else if (text == "bad-echo") {
        m.kind = FailMode::kBadEcho;
    } else if (ParseCount(text, "silent-after:", &m.count)) {
        m.kind = FailMode::kSilentAfter;
    } else if (ParseCount(text, "close-after:", &m.count)) {
        m.kind = FailMode::kCloseAfter;
    } else {
        return false;
    }
    *mode = m;
    return true;
}

const char* BoxKindName(BoxKind kind) {
    switch (kind) {
        case BoxKind::kAd:
            return "ad";
        case BoxKind::kDa:
            return "da";
        case BoxKind::kIo:
            return "io";
    }
    return "?";
}

std::vector<std::string> SimBox::HandleCommand(const std::string& lineIn, bool* unplug) {
    *unplug = false;
    std::string line = lineIn;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++commands_;
    switch (fail_.kind) {
        case FailMode::kSilent:
            return {};
        case FailMode::kSilentAfter:
            if (commands_ > fail_.count) return {};
            break;
        case FailMode::kCloseAfter:
            if (commands_ > fail_.count) {
                *unplug = true;
                return {};
            }
            break;
        default:
            break;
    }
    return Answer(line);
}

// Every box answers a line it does not understand with "?", the empty line of the presence
// probe included. So a D/A box, which knows neither "I" nor "U", answers both type queries with
// "?", and is told apart from the other two by exactly that.
std::vector<std::string> SimBox::Answer(const std::string& line) {
    const bool badEcho = fail_.kind == FailMode::kBadEcho;
    switch (kind_) {
        case BoxKind::kAd:
            if (line.size() == 2 && (line[0] == 'U' || line[0] == 'B') && line[1] >= '0' &&
                line[1] <= '7') {
                const int ch = line[1] - '0';
                return {line + Format("%03X", AdCode(ch, line[0] == 'B'))};
            }
            break;
        case BoxKind::kDa:
            if (line[0] == 'P' && AllHex(line, 1, 4)) {
                daCode_ = Hex(line, 1);
                if (badEcho) return {Format("P%04X", (daCode_ + 1) & 0xFFFF)};
                return {line};
            }
            break;
        case BoxKind::kIo:
            if (line == "I") return {Format("I%02X", inputs_)};
            if (line.size() == 3 && line[0] == 'O' && AllHex(line, 1, 2)) {
                outputs_ = Hex(line, 1);
                if (badEcho) return {Format("O%02X", outputs_ ^ 0x01)};
                return {line};
            }
            if (line.size() == 3 && line[0] == 'W' && AllHex(line, 1, 2)) {
                mask_ = Hex(line, 1);
                return {};
            }
            break;
    }
    return {"?"};
}

std::string SimBox::SetInputs(uint32_t image) {
    image &= 0xFF;
    const uint32_t changed = (inputs_ ^ image) & mask_;
    inputs_ = image;
    if (kind_ != BoxKind::kIo || changed == 0) return {};
    // A box that went silent sends no reports either.
    if (fail_.kind == FailMode::kSilent ||
        (fail_.kind == FailMode::kSilentAfter && commands_ >= fail_.count)) {
        return {};
    }
    return Format("W%02X", inputs_);
}

void SimBox::SetVolts(int channel, double volts) {
    if (channel >= 0 && channel < 8 && std::isfinite(volts)) volts_[channel] = volts;
}

uint32_t SimBox::AdCode(int channel, bool bipolar) const {
    const double v = volts_[channel & 7] + (bipolar ? 10.0 : 0.0);
    const double code = std::floor(v / 0.0048828125 + 1e-9);
    if (!(code > 0.0)) return 0;
    if (code > 4095.0) return 4095;
    return static_cast<uint32_t>(code);
}

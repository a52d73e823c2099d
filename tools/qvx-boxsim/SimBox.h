// What one simulated converter box answers: its kind, its inputs and outputs, and the ways it can
// be told to misbehave. No I/O here; the event loop feeds it lines and sends what it returns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class BoxKind { kAd, kDa, kIo };

// How a box misbehaves.
struct FailMode {
    enum Kind { kNone, kSilent, kSilentAfter, kBadEcho, kCloseAfter } kind = kNone;
    int count = 0;  // N of silent-after:N and close-after:N
};

// Parses "none", "silent", "silent-after:N", "bad-echo", "close-after:N"; false when unknown.
bool ParseFailMode(const std::string& text, FailMode* mode);

const char* BoxKindName(BoxKind kind);

class SimBox {
  public:
    explicit SimBox(BoxKind kind) : kind_(kind) {}

    // The answer to one command line (without its "\n"; a trailing "\r" is ignored). Replies are
    // lines without "\n". *unplug is set when the box is to go away now instead of answering.
    std::vector<std::string> HandleCommand(const std::string& line, bool* unplug);

    // Sets the I/O inputs; returns the interrupt report "Whh" when a masked input changed, "".
    std::string SetInputs(uint32_t image);
    uint32_t inputs() const { return inputs_; }
    uint32_t outputs() const { return outputs_; }
    uint32_t interruptMask() const { return mask_; }

    // A/D input voltages (volts, as a signal source would apply them).
    void SetVolts(int channel, double volts);
    double volts(int channel) const { return volts_[channel & 7]; }
    // The 12-bit code the box reads for channel in the "0～20V" (bipolar false) or "-10～10V"
    // range; a voltage outside the range reads as its end.
    uint32_t AdCode(int channel, bool bipolar) const;

    uint32_t daCode() const { return daCode_; }

    void SetFailMode(const FailMode& mode) {
        fail_ = mode;
        commands_ = 0;
    }
    const FailMode& failMode() const { return fail_; }
    BoxKind kind() const { return kind_; }

  private:
    std::vector<std::string> Answer(const std::string& line);

    BoxKind kind_;
    FailMode fail_;
    int commands_ = 0;  // commands taken since the fail mode was set
    uint32_t inputs_ = 0;
    uint32_t outputs_ = 0;
    uint32_t mask_ = 0;
    uint32_t daCode_ = 0;
    double volts_[8] = {};
};

// The reply parsers on random lines of random lengths. Every line lies in a heap block of
// exactly its length, so AddressSanitizer stops any read past the given length.
//
// Properties: ParseInputReply sets every state to 0 or 1 from the two characters after the
// first (missing ones reading "0"); ParseAnalogReply changes only the channel it returns (0..7),
// to a 12-bit code and that code's volts; HexValue reads only its count characters and gives the
// value of those hexadecimal digits (others reading 0).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/box_commands.h"
#include "fuzz_support.h"

namespace {

// The line in a block of its own, exactly as long as the line.
std::unique_ptr<char[]> Exact(const std::string& text) {
    std::unique_ptr<char[]> block(new char[text.size()]);
    if (!text.empty()) std::memcpy(block.get(), text.data(), text.size());
    return block;
}

uint32_t Digit(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
    return 0;
}

char At(const std::string& line, int length, size_t pos) {
    return pos < static_cast<size_t>(length) && pos < line.size() ? line[pos] : '0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int range = in.ConsumeIntegralInRange(-1, 1);
    const int count = in.ConsumeIntegralInRange(-2, 12);
    const std::string line = in.ConsumeRemainingBytesAsString();
    const int length = static_cast<int>(line.size());
    const std::unique_ptr<char[]> exact = Exact(line);

    int32_t states[8];
    for (int32_t& s : states) s = 7;
    ParseInputReply(exact.get(), length, states);
    const uint32_t image = Digit(At(line, length, 1)) * 16 + Digit(At(line, length, 2));
    for (int i = 0; i < 8; ++i) FUZZ_CHECK(states[i] == static_cast<int32_t>((image >> i) & 1u));

    RelaxedAtomic<int32_t> atomicStates[8];
    ParseInputReply(exact.get(), length, atomicStates);
    for (int i = 0; i < 8; ++i) FUZZ_CHECK(atomicStates[i].load() == states[i]);

    int32_t raw[8];
    double volts[8];
    for (int i = 0; i < 8; ++i) {
        raw[i] = -1 - i;
        volts[i] = 100.0 + i;
    }
    const int channel = ParseAnalogReply(exact.get(), length, range, raw, volts);
    FUZZ_CHECK(channel >= 0 && channel <= 7);
    const int digit = At(line, length, 1) - '0';
    FUZZ_CHECK(channel == (digit < 0 ? 0 : digit > 7 ? 7 : digit));
    const uint32_t code = Digit(At(line, length, 2)) * 256 + Digit(At(line, length, 3)) * 16 +
                          Digit(At(line, length, 4));
    for (int i = 0; i < 8; ++i) {
        if (i == channel) {
            FUZZ_CHECK(raw[i] == static_cast<int32_t>(code));
            FUZZ_CHECK(volts[i] == AdVolts(range, code));
        } else {
            FUZZ_CHECK(raw[i] == -1 - i && volts[i] == 100.0 + i);
        }
    }
    FUZZ_CHECK(volts[channel] >= -10.0 && volts[channel] < 20.0);

    // HexValue over a block of exactly count characters (or of the line, if shorter: then the
    // count is cut to the line's length, since HexValue has no length of its own).
    const int n = count < length ? count : length;
    const std::unique_ptr<char[]> field = Exact(line.substr(0, n > 0 ? static_cast<size_t>(n) : 0));
    uint32_t expected = 0;
    for (int i = 0; i < n; ++i) expected = expected * 16 + Digit(line[static_cast<size_t>(i)]);
    FUZZ_CHECK(HexValue(n, field.get()) == expected);
    FUZZ_CHECK(HexField(exact.get(), length, 0, n) == expected);
    return 0;
}

// Command builders, reply parsers and conversions against the protocol's examples.
#include "device/box_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

std::string Voltage(int range, double volts) {
    char buf[kCommandBufferSize];
    const int n = FormatVoltageCommand(range, volts, buf);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buf)));
    return buf;
}

}  // namespace

TEST(HexFields, DigitsOfEitherCaseAndEverythingElseAsZero) {
    EXPECT_EQ(HexValue(3, "A5F"), 0xA5Fu);
    EXPECT_EQ(HexValue(2, "5a"), 0x5Au);
    EXPECT_EQ(HexValue(4, "ffFF"), 0xFFFFu);
    EXPECT_EQ(HexValue(3, "1G2"), 0x102u);  // G counts as 0
    EXPECT_EQ(HexValue(2, "12345"), 0x12u);
    EXPECT_EQ(HexValue(0, "FF"), 0u);
    EXPECT_EQ(HexValue(8, "FFFFFFFF"), 0xFFFFFFFFu);
    // A short line reads missing characters as 0, and never past its end.
    const char line[] = {'U', '3', 'A'};  // no NUL after it
    EXPECT_EQ(HexField(line, 3, 2, 3), 0xA00u);
    EXPECT_EQ(HexField(line, 3, 5, 2), 0u);
    EXPECT_EQ(HexField(line, 0, 0, 2), 0u);
}

TEST(AnalogReplies, ChannelCodeAndVoltsInBothRanges) {
    int32_t raw[8] = {};
    double volts[8] = {};
    EXPECT_EQ(ParseAnalogReply("U3A5F", 5, 0, raw, volts), 3);
    EXPECT_EQ(raw[3], 2655);
    EXPECT_DOUBLE_EQ(volts[3], 12.9638671875);
    EXPECT_EQ(ParseAnalogReply("B3A5F", 5, 1, raw, volts), 3);
    EXPECT_DOUBLE_EQ(volts[3], 2.9638671875);

    // Channel digits above 7 count as 7, below "0" as 0; other channels stay.
    EXPECT_EQ(ParseAnalogReply("U9FFF", 5, 0, raw, volts), 7);
    EXPECT_EQ(raw[7], 4095);
    EXPECT_DOUBLE_EQ(volts[7], 19.9951171875);
    EXPECT_EQ(ParseAnalogReply("U/800", 5, 1, raw, volts), 0);
    EXPECT_EQ(raw[0], 2048);
    EXPECT_DOUBLE_EQ(volts[0], 0.0);
    EXPECT_EQ(raw[3], 2655);
    EXPECT_EQ(raw[1], 0);

    // Range ends.
    EXPECT_DOUBLE_EQ(AdVolts(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(AdVolts(1, 0), -10.0);
    EXPECT_DOUBLE_EQ(AdVolts(0, 2048), 10.0);
    EXPECT_DOUBLE_EQ(AdVolts(1, 4095), 9.9951171875);

    // A short reply: "U5" alone gives channel 5 code 0; "U" alone channel 0 code 0.
    raw[5] = 99;
    EXPECT_EQ(ParseAnalogReply("U5", 2, 0, raw, volts), 5);
    EXPECT_EQ(raw[5], 0);
    raw[0] = 99;
    EXPECT_EQ(ParseAnalogReply("U", 1, 0, raw, volts), 0);
    EXPECT_EQ(raw[0], 0);

    // The shared-value form writes the same.
    RelaxedAtomic<int32_t> sraw[8];
    RelaxedAtomic<double> svolts[8];
    ParseAnalogReply("U2800", 5, 0, sraw, svolts);
    EXPECT_EQ(sraw[2].load(), 2048);
    EXPECT_DOUBLE_EQ(svolts[2].load(), 10.0);
}

TEST(InputReplies, BitImageToStates) {
    int32_t in[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    ParseInputReply("I5a", 3, in);  // lowercase accepted
    const int32_t want[8] = {0, 1, 0, 1, 1, 0, 1, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(in[i], want[i]) << i;
    ParseInputReply("WFF", 3, in);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(in[i], 1) << i;
    ParseInputReply("I8", 2, in);  // short: "8" then a missing digit read as 0 -> 0x80
    for (int i = 0; i < 8; ++i) EXPECT_EQ(in[i], i == 7 ? 1 : 0) << i;
    RelaxedAtomic<int32_t> shared[8];
    ParseInputReply("I01", 3, shared);
    EXPECT_EQ(shared[0].load(), 1);
    EXPECT_EQ(shared[1].load(), 0);
}

TEST(Commands, OutputInterruptAndVoltage) {
    char buf[kCommandBufferSize];
    const int32_t out[8] = {1, 0, 0, 0, 0, 0, 2, 1};  // a state of 2 is not set
    EXPECT_EQ(FormatOutputCommand(out, buf), 4);
    EXPECT_STREQ(buf, "O81\n");
    EXPECT_EQ(FormatInterruptCommand(out, buf), 4);
    EXPECT_STREQ(buf, "W81\n");
    const int32_t none[8] = {};
    FormatOutputCommand(none, buf);
    EXPECT_STREQ(buf, "O00\n");
    RelaxedAtomic<int32_t> all[8];
    for (auto& a : all) a = 1;
    FormatInterruptCommand(all, buf);
    EXPECT_STREQ(buf, "WFF\n");

    EXPECT_EQ(Voltage(0, 2.5), "P3FFF\n");
    EXPECT_EQ(Voltage(1, -5.0), "P3FFF\n");
    EXPECT_EQ(Voltage(1, 10.0), "PFFFF\n");
    EXPECT_EQ(Voltage(0, 10.0), "PFFFF\n");
    EXPECT_EQ(Voltage(0, 5.0), "P7FFF\n");
    EXPECT_EQ(Voltage(1, 0.0), "P7FFF\n");
    EXPECT_EQ(Voltage(1, -10.0), "P0000\n");
    EXPECT_EQ(Voltage(0, 0.0), "P0000\n");
    EXPECT_EQ(Voltage(0, 12.0), "PFFFF\n");  // above the range: FFFF
    // Below the range's lower end (0 to 10 V after a negative setting): clamped to 0000, always
    // four digits.
    EXPECT_EQ(Voltage(0, -3.0), "P0000\n");
    EXPECT_EQ(Voltage(1, -12.0), "P0000\n");
    EXPECT_EQ(Voltage(0, std::numeric_limits<double>::quiet_NaN()), "P0000\n");
    EXPECT_EQ(Voltage(0, std::numeric_limits<double>::infinity()), "PFFFF\n");
    EXPECT_EQ(DaCode(0, 0.00015259021896696422 * 3.5), 3u);  // truncated toward zero
}

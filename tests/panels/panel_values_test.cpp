// The A/D refresh arithmetic and the D/A value conversion, without windows.
#include <locale.h>

#include <cmath>

#include "device/box_commands.h"
#include "panels/ad_values.h"
#include "panels/da_values.h"
#include "support/test_env.h"

namespace {

void SetLatest(AdBlock& block, int i, double volts, int32_t raw) {
    block.adVolts[static_cast<size_t>(i)] = volts;
    block.adRaw[static_cast<size_t>(i)] = raw;
}

}  // namespace

TEST(AdValues, TextsAveragesAndReset) {
    EXPECT_EQ(AdValueText(12.9638671875, 0xA5F), "12.964V(A5F)");
    EXPECT_EQ(AdValueText(0.0, 0), "0.000V(000)");
    EXPECT_EQ(AdValueText(-10.0, 0), "-10.000V(000)");
    // 0x800 is 10 V in "0～20V" and 0 V in "-10～10V".
    EXPECT_EQ(AdValueText(AdVolts(0, 0x800), 0x800), "10.000V(800)");
    EXPECT_EQ(AdValueText(AdVolts(1, 0x800), 0x800), "0.000V(800)");

    AdBlock block;
    for (int i = 0; i < kAdInputs; ++i) ClearAdInput(block, i);
    // Three refreshes whose latest values are 1, 2 and 6 V average to 3 V.
    const double volts[] = {1.0, 2.0, 6.0};
    const int32_t raws[] = {100, 201, 600};
    AdInputRefresh r;
    for (int k = 0; k < 3; ++k) {
        SetLatest(block, 2, volts[k], raws[k]);
        r = RefreshAdInput(block, 2);
        EXPECT_TRUE(r.currentChanged);
        EXPECT_TRUE(r.averageChanged);
    }
    EXPECT_EQ(block.adCurrentText[2], "6.000V(258)");
    EXPECT_DOUBLE_EQ(block.adAverage[2], 3.0);
    EXPECT_EQ(block.adRawAverage[2], 300);  // 901 / 3, truncated
    EXPECT_EQ(block.adAverageText[2], "3.000V(12C)");
    EXPECT_EQ(block.adSampleCount[2], 4);
    // The same latest value again: the current text is unchanged, the average moves on.
    r = RefreshAdInput(block, 2);
    EXPECT_FALSE(r.currentChanged);
    EXPECT_TRUE(r.averageChanged);
    EXPECT_EQ(block.adAverageText[2], "3.750V(177)");
    // An input that sits still changes none of its texts after its first refresh.
    EXPECT_TRUE(RefreshAdInput(block, 5).currentChanged);
    r = RefreshAdInput(block, 5);
    EXPECT_FALSE(r.currentChanged);
    EXPECT_FALSE(r.averageChanged);

    // After Reset the next refresh shows its own value as the average.
    ResetAdAverage(block, 2);
    EXPECT_EQ(block.adSampleCount[2], 0);
    EXPECT_EQ(block.adCurrentText[2], "6.000V(258)");  // labels change at the next refresh
    SetLatest(block, 2, 1.5, 307);
    RefreshAdInput(block, 2);
    EXPECT_EQ(block.adAverageText[2], "1.500V(133)");
    EXPECT_EQ(block.adSampleCount[2], 2);
    // Other inputs are not affected.
    EXPECT_EQ(block.adSampleCount[5], 3);
}

TEST(AdValues, AveragesStartAgainAfter65535Refreshes) {
    AdBlock block;
    ClearAdInput(block, 0);
    // 65534 refreshes at 2 V, then one at 4 V: the 65535th shows the mean of all 65535.
    SetLatest(block, 0, 2.0, 410);
    for (int k = 0; k < 65534; ++k) RefreshAdInput(block, 0);
    EXPECT_EQ(block.adSampleCount[0], 65535);
    SetLatest(block, 0, 4.0, 819);
    RefreshAdInput(block, 0);
    EXPECT_EQ(block.adAverageText[0], "2.000V(19A)");
    // ... and that refresh cleared the average, so the next one averages over itself alone.
    EXPECT_EQ(block.adSampleCount[0], 0);
    EXPECT_EQ(block.adRawSum[0], 0);
    SetLatest(block, 0, 7.0, 1434);
    RefreshAdInput(block, 0);
    EXPECT_EQ(block.adAverageText[0], "7.000V(59A)");
    EXPECT_EQ(block.adSampleCount[0], 2);
}

TEST(DaValues, ConvertChecksTheTextAndLimitsToTheRange) {
    double v = 3.25;
    // Text the numeric check rejects changes nothing.
    for (const char* bad : {"", "1e1", "abc", "1.2.3", "5-", " 5", "１２", "0x10"}) {
        EXPECT_FALSE(ConvertDaText(bad, 0, &v)) << bad;
        EXPECT_EQ(v, 3.25);
    }
    // Just past either end is the end.
    EXPECT_TRUE(ConvertDaText("10.0001", 0, &v));
    EXPECT_EQ(v, 10.0);
    EXPECT_TRUE(ConvertDaText("-3", 0, &v));
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(ConvertDaText("-3", 1, &v));
    EXPECT_EQ(v, -3.0);
    EXPECT_TRUE(ConvertDaText("-10.0001", 1, &v));
    EXPECT_EQ(v, -10.0);
    EXPECT_TRUE(ConvertDaText("+7.125", 1, &v));
    EXPECT_EQ(v, 7.125);
    EXPECT_TRUE(ConvertDaText(".", 1, &v));  // passes the check, reads 0
    EXPECT_EQ(v, 0.0);
    EXPECT_TRUE(ConvertDaText(".5", 0, &v));
    EXPECT_EQ(v, 0.5);
    EXPECT_TRUE(ConvertDaText(std::string(400, '9'), 1, &v));  // beyond a double: the upper end
    EXPECT_EQ(v, 10.0);

    EXPECT_EQ(DaEditText(0.0), "0.0000");
    EXPECT_EQ(DaVoltsText(10.0), "10.0000V");
    EXPECT_EQ(DaVoltsText(-2.5), "-2.5000V");

    // A desktop whose language writes a decimal comma changes neither reading nor texts.
    if (setlocale(LC_ALL, "de_DE.UTF-8") || setlocale(LC_ALL, "fr_FR.UTF-8")) {
        EXPECT_TRUE(ConvertDaText("1.5", 0, &v));
        EXPECT_EQ(v, 1.5);
        EXPECT_EQ(DaVoltsText(1.5), "1.5000V");
        EXPECT_EQ(AdValueText(1.5, 0x133), "1.500V(133)");
        setlocale(LC_ALL, "C");
    }
}

TEST(DaValues, PresetsPerRange) {
    const DaPreset* low = DaPresets(0);
    EXPECT_STREQ(low[0].caption, "0V出力");
    EXPECT_STREQ(low[1].caption, "+5V出力");
    EXPECT_STREQ(low[2].caption, "+10V出力");
    EXPECT_EQ(low[0].volts, 0.0);
    EXPECT_EQ(low[1].volts, 5.0);
    EXPECT_EQ(low[2].volts, 10.0);
    for (int range : {1, 2, -1}) {
        const DaPreset* wide = DaPresets(range);
        EXPECT_STREQ(wide[0].caption, "-10V出力");
        EXPECT_STREQ(wide[1].caption, "0V出力");
        EXPECT_STREQ(wide[2].caption, "+10V出力");
        EXPECT_EQ(wide[0].volts, -10.0);
        EXPECT_EQ(wide[1].volts, 0.0);
        EXPECT_EQ(wide[2].volts, 10.0);
    }
}

#include "panels/ad_values.h"

#include "panels/c_locale_text.h"

std::string AdValueText(double volts, int32_t raw) {
    return FormatInCLocale("%.3fV(%03X)", volts, static_cast<unsigned>(raw));
}

AdInputRefresh RefreshAdInput(AdBlock& block, int i) {
    const size_t k = static_cast<size_t>(i);
    AdInputRefresh result;
    const double volts = block.adVolts[k].load();
    const int32_t raw = block.adRaw[k].load();

    std::string current = AdValueText(volts, raw);
    if (current != block.adCurrentText[k]) {
        block.adCurrentText[k] = std::move(current);
        result.currentChanged = true;
    }

    int32_t n = block.adSampleCount[k];
    if (n == 0) n = block.adSampleCount[k] = 1;
    block.adSum[k] += volts;
    block.adAverage[k] = block.adSum[k] / n;
    block.adRawSum[k] += raw;
    block.adRawAverage[k] = block.adRawSum[k] / n;  // truncates toward zero

    std::string average = AdValueText(block.adAverage[k], block.adRawAverage[k]);
    if (average != block.adAverageText[k]) {
        block.adAverageText[k] = std::move(average);
        result.averageChanged = true;
    }

    if (n + 1 > kAdMaxSamples) {
        ResetAdAverage(block, i);
    } else {
        block.adSampleCount[k] = n + 1;
    }
    return result;
}

void ResetAdAverage(AdBlock& block, int i) {
    const size_t k = static_cast<size_t>(i);
    block.adSum[k] = 0;
    block.adAverage[k] = 0;
    block.adRawSum[k] = 0;
    block.adRawAverage[k] = 0;
    block.adSampleCount[k] = 0;
}

void ClearAdInput(AdBlock& block, int i) {
    const size_t k = static_cast<size_t>(i);
    block.adVolts[k] = 0.0;
    block.adCurrentText[k].clear();
    block.adRaw[k] = 0;
    ResetAdAverage(block, i);
    block.adAverageText[k].clear();
}

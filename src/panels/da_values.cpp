#include "panels/da_values.h"

#include "panels/c_locale_text.h"
#include "startup/command_line.h"

namespace {

constexpr DaPreset kPresetsUnipolar[kDaPresetCount] = {
    {"0V出力", 0.0}, {"+5V出力", 5.0}, {"+10V出力", 10.0}};
constexpr DaPreset kPresetsBipolar[kDaPresetCount] = {
    {"-10V出力", -10.0}, {"0V出力", 0.0}, {"+10V出力", 10.0}};

}  // namespace

const DaPreset* DaPresets(int range) {
    return range == 0 ? kPresetsUnipolar : kPresetsBipolar;
}

double DaLowerLimit(int range) {
    return range == 0 ? 0.0 : -10.0;
}

double DaUpperLimit(int) {
    return 10.0;
}

double LimitDaVolts(int range, double volts) {
    if (volts < DaLowerLimit(range)) return DaLowerLimit(range);
    if (volts > DaUpperLimit(range)) return DaUpperLimit(range);
    return volts;
}

bool ConvertDaText(const std::string& text, int range, double* volts) {
    if (!IsNumericText(text)) return false;
    // A text of digits has no NaN; a huge one reads as HUGE_VAL and is limited like any other.
    *volts = LimitDaVolts(range, StrtodInCLocale(text.c_str()));
    return true;
}

std::string DaEditText(double volts) {
    return FormatInCLocale("%.4f", volts);
}

std::string DaVoltsText(double volts) {
    return FormatInCLocale("%.4fV", volts);
}

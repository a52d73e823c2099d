// The D/A panel's values, free of widgets: the typed voltage taken and limited to the range,
// the presets of each range and the texts shown.
#pragma once

#include <string>

// One preset button: its caption and the voltage it sets.
struct DaPreset {
    const char* caption;
    double volts;
};
constexpr int kDaPresetCount = 3;  // buttons 1002, 1003, 1004

// The presets of range 0 (0 to 10 V) or of any other range (−10 to 10 V).
const DaPreset* DaPresets(int range);

// The range's lower end (0.0 or −10.0) and upper end (10.0).
double DaLowerLimit(int range);
double DaUpperLimit(int range);
double LimitDaVolts(int range, double volts);

// The typed text as a voltage: false (volts unchanged) unless IsNumericText accepts it; then the
// C library's decimal conversion (independent of the user's locale; a lone "." is 0.0), limited
// to the range.
bool ConvertDaText(const std::string& text, int range, double* volts);

// "%.4f" for the edit box and "%.4fV" for the label of the voltage in effect.
std::string DaEditText(double volts);
std::string DaVoltsText(double volts);

// The A/D panel's display data, free of widgets: the value texts and the running averages that
// each refresh computes from the worker's latest values.
#pragma once

#include <string>

#include "settings/AppSettings.h"

// "%.3fV(%03X)": 12.9638671875 V with code 0xA5F reads "12.964V(A5F)".
std::string AdValueText(double volts, int32_t raw);

// Averages start again after this many refreshes.
constexpr int32_t kAdMaxSamples = 65535;

// What one refresh of input i changed in the texts the labels show.
struct AdInputRefresh {
    bool currentChanged = false;  // adCurrentText[i] is new: set label 1032 + i
    bool averageChanged = false;  // adAverageText[i] is new: set label 1040 + i
};

// One refresh of input i: the current text, then the latest value added to the average (over
// at most 65535 refreshes; the refresh that would be the 65536th starts a new average).
AdInputRefresh RefreshAdInput(AdBlock& block, int i);

// Clears the average of input i; the next refresh averages over its own value alone.
void ResetAdAverage(AdBlock& block, int i);

// The display's starting values of input i: every value, sum, count and text cleared.
void ClearAdInput(AdBlock& block, int i);

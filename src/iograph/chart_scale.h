// Where a sample value lands on the chart: the trace's minimum on the bottom row, its maximum
// just above the top edge, computed in floating point and truncated toward zero.
#pragma once

#include <cmath>

// Row of value on a chart of height h scaled from minValue to maxValue. False when the scale
// is empty (minimum equal to maximum), where no row can be computed.
inline bool ValueToRow(int value, int minValue, int maxValue, int h, int* row) {
    if (maxValue == minValue) return false;
    const double scaled = static_cast<double>(value - minValue) * h / (maxValue - minValue);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1e8) return false;
    *row = h - static_cast<int>(scaled) - 1;
    return true;
}

// One trace of a chart: how it is drawn, which stretch of its samples is visible, the value
// scale, and the ring holding its samples.
#pragma once

#include <cstdint>
#include <memory>

#include "iograph/SampleRing.h"

template <class T>
struct ChartTrace {
    int style = 0;       // 0 = connected lines
    int penWidth = 1;    // pixels
    uint32_t color = 0;  // pen colour, 0x00BBGGRR
    int viewStart = 0;   // first visible sample
    int viewEnd = 0;     // last visible sample, inclusive
    int gapEnabled = 0;  // non-zero: a sample equal to gapValue breaks the line
    T gapValue = 0;
    T minValue = 0;  // value drawn at the bottom edge
    T maxValue = 0;  // value drawn at the top edge
    std::unique_ptr<SampleRing<T>> ring;
};

// The I/O box's eight inputs as they are recorded in the signal history: each input is drawn
// in its own band of a common 0..90 scale, IN0 at the top, IN7 at the bottom.
#pragma once

#include "iograph/ChartStore.h"

inline constexpr int kInputCount = 8;

// The input states the I/O panel shows: element i is 1 while lamp IN i reads "ON", 0 while
// it reads "OFF". Written and read only on the panel's user-interface thread (the refresh
// handler sets it and then records a sample), so plain ints are enough.
extern int ioGraphInputs[kInputCount];

// Sample values of input i: OFF at 75 - 10 i, ON at 83 - 10 i; the reference level between
// them (81 - 10 i) is where the input's label and end marks are placed.
constexpr short InputOffValue(int i) {
    return static_cast<short>(75 - 10 * i);
}
constexpr short InputOnValue(int i) {
    return static_cast<short>(83 - 10 * i);
}
constexpr short InputRefLevel(int i) {
    return static_cast<short>(81 - 10 * i);
}

// Appends one sample of each input to its trace (trace i carries input i) and rewrites the
// reference levels. Traces without storage are skipped. Does not repaint.
void AppendInputSample(ChartStore<short>& store, const int (&inputs)[kInputCount],
                       short (&refLevel)[kInputCount]);

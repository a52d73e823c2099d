// Thins a channel's samples to what a line of a few hundred pixels can show: per run of
// `bucket` consecutive samples only the lowest and the highest, in their order. Drawn as a
// line this covers exactly the pixels the full line covers, at a fraction of the cost; runs
// are aligned to the sample numbers, so the picture does not shimmer as the chart scrolls.
#pragma once

#include <cstdint>
#include <vector>

#include "SampleRing.h"

namespace plotwin {

struct EnvelopePoint {
    int64_t number;  // the sample's number (its x position)
    double value;
};

// How many samples one run holds so that `samples` fit into `pixels` columns: 1 (every sample
// kept) while there are no more than two samples per pixel.
int64_t EnvelopeBucket(int64_t samples, int pixels);

// The ring indices of the lowest and the highest sample of [begin, end) (begin < end), in
// their order: *first <= *second.
void RunExtremes(const SampleRing& ring, int begin, int end, int* first, int* second);

// The thinned samples of ring numbered low..high, oldest first. The first and the last kept
// sample of that stretch are always among them, and so are the nearest kept samples just
// outside it, so the line runs on to the chart's edges. The lowest and highest value of the
// stretch are always among the points inside it.
void MinMaxEnvelope(const SampleRing& ring, int64_t bucket, int64_t low, int64_t high,
                    std::vector<EnvelopePoint>* out);

}  // namespace plotwin

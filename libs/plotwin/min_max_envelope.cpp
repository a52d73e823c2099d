#include "min_max_envelope.h"

#include <algorithm>

namespace plotwin {

void RunExtremes(const SampleRing& ring, int begin, int end, int* first, int* second) {
    int lo = begin, hi = begin;
    double loV = ring.At(begin), hiV = loV;
    for (int k = begin + 1; k < end; ++k) {
        const double v = ring.At(k);
        if (v < loV) {
            loV = v;
            lo = k;
        }
        if (v > hiV) {
            hiV = v;
            hi = k;
        }
    }
    *first = std::min(lo, hi);
    *second = std::max(lo, hi);
}

int64_t EnvelopeBucket(int64_t samples, int pixels) {
    if (pixels < 1) pixels = 1;
    if (samples <= 2 * static_cast<int64_t>(pixels)) return 1;
    return (samples + pixels - 1) / pixels;
}

void MinMaxEnvelope(const SampleRing& ring, int64_t bucket, int64_t low, int64_t high,
                    std::vector<EnvelopePoint>* out) {
    out->clear();
    const int64_t first = ring.firstNumber();
    // Indices into the ring of the stretch low..high.
    const int begin = static_cast<int>(std::clamp<int64_t>(low - first, 0, ring.size()));
    const int end = static_cast<int>(std::clamp<int64_t>(high - first + 1, 0, ring.size()));
    const auto add = [&](int i) {
        if (out->empty() || out->back().number != first + i)
            out->push_back({first + i, ring.At(i)});
    };
    if (begin > 0) add(begin - 1);
    if (begin < end) {
        if (bucket <= 1) {
            out->reserve(static_cast<size_t>(end - begin + 2));
            for (int i = begin; i < end; ++i) out->push_back({first + i, ring.At(i)});
        } else {
            out->reserve(static_cast<size_t>(2 * ((end - begin) / bucket + 3)));
            add(begin);
            int i = begin;
            while (i < end) {
                // The run the sample at i belongs to ends where the next multiple of bucket
                // begins (or where the stretch ends).
                const int64_t number = first + i;
                const int64_t runEnd = (number / bucket + 1) * bucket;
                const int stop = static_cast<int>(std::min<int64_t>(end, i + (runEnd - number)));
                int lo = i, hi = i;
                RunExtremes(ring, i, stop, &lo, &hi);
                add(lo);
                add(hi);
                i = stop;
            }
            add(end - 1);
        }
    }
    if (end < ring.size()) add(end);
}

}  // namespace plotwin

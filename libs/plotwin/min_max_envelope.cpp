#include "min_max_envelope.h"

#include <algorithm>

namespace plotwin {

int64_t EnvelopeBucket(int64_t samples, int pixels) {
    if (pixels < 1) pixels = 1;
    if (samples <= 2 * static_cast<int64_t>(pixels)) return 1;
    return (samples + pixels - 1) / pixels;
}

void MinMaxEnvelope(const SampleRing& ring, int64_t bucket, std::vector<EnvelopePoint>* out) {
    out->clear();
    const int n = ring.size();
    if (n == 0) return;
    const int64_t first = ring.firstNumber();
    if (bucket <= 1) {
        out->reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) out->push_back({first + i, ring.At(i)});
        return;
    }
    out->reserve(static_cast<size_t>(2 * (n / bucket + 2)));
    int i = 0;
    while (i < n) {
        // The run the sample at i belongs to ends where the next multiple of bucket begins.
        const int64_t number = first + i;
        const int64_t runEnd = (number / bucket + 1) * bucket;
        const int end = static_cast<int>(std::min<int64_t>(n, i + (runEnd - number)));
        int low = i, high = i;
        for (int k = i + 1; k < end; ++k) {
            const double v = ring.At(k);
            if (v < ring.At(low)) low = k;
            if (v > ring.At(high)) high = k;
        }
        const int a = low < high ? low : high;
        const int b = low < high ? high : low;
        out->push_back({first + a, ring.At(a)});
        if (b != a) out->push_back({first + b, ring.At(b)});
        i = end;
    }
    if (out->back().number != first + n - 1) out->push_back({first + n - 1, ring.At(n - 1)});
}

}  // namespace plotwin

#include "envelope_cache.h"

#include <algorithm>

namespace plotwin {

void EnvelopeCache::Reset() {
    runs_.clear();
    bucket_ = 0;
    generation_ = 0;
}

void EnvelopeCache::Update(const SampleRing& ring, int64_t bucket, int64_t low, int64_t high,
                           std::vector<EnvelopePoint>* out) {
    if (bucket <= 1) {
        // Every sample is drawn; there is nothing to keep.
        Reset();
        MinMaxEnvelope(ring, bucket, low, high, out);
        return;
    }
    if (bucket != bucket_ || ring.generation() != generation_) {
        runs_.clear();
        bucket_ = bucket;
        generation_ = ring.generation();
    }
    out->clear();
    next_.clear();
    const int64_t first = ring.firstNumber();
    const int64_t begin = std::clamp<int64_t>(low - first, 0, ring.size());
    const int64_t end = std::clamp<int64_t>(high - first + 1, 0, ring.size());
    const auto add = [&](const EnvelopePoint& p) {
        if (out->empty() || out->back().number != p.number) out->push_back(p);
    };
    const auto point = [&](int64_t index) {
        return EnvelopePoint{first + index, ring.At(static_cast<int>(index))};
    };
    if (begin > 0) add(point(begin - 1));
    int64_t keptFrom = 0;
    if (begin < end) {
        out->reserve(static_cast<size_t>(2 * ((end - begin) / bucket + 3)));
        add(point(begin));
        const int64_t lowNumber = first + begin, highNumber = first + end - 1;
        keptFrom = lowNumber / bucket;
        for (int64_t run = lowNumber / bucket; run <= highNumber / bucket; ++run) {
            const int64_t runLow = run * bucket, runHigh = runLow + bucket - 1;
            const bool complete = runLow >= lowNumber && runHigh <= highNumber;
            const int64_t at = run - firstRun_;
            Run r;
            if (complete && at >= 0 && at < static_cast<int64_t>(runs_.size())) {
                r = runs_[static_cast<size_t>(at)];
            } else {
                int a = 0, b = 0;
                RunExtremes(ring, static_cast<int>(std::max(runLow, lowNumber) - first),
                            static_cast<int>(std::min(runHigh, highNumber) - first + 1), &a, &b);
                r = Run{point(a), point(b)};
            }
            add(r.first);
            add(r.second);
            // Only an unbroken stretch of complete runs is kept, so run numbers stay indices.
            if (complete) {
                if (next_.empty()) keptFrom = run;
                next_.push_back(r);
            }
        }
        add(point(end - 1));
    }
    if (end < ring.size()) add(point(end));
    runs_.swap(next_);
    firstRun_ = keptFrom;
}

}  // namespace plotwin

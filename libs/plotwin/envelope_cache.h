// The thinned trace of one channel (see min_max_envelope.h), kept from refresh to refresh.
//
// A run of `bucket` samples whose samples are all kept never changes once complete: the ring
// only appends at the new end and drops at the old one. So a refresh computes only the runs
// that are new or clipped by the range's edges and takes the others as they were, a few
// microseconds per channel instead of a pass over the whole history.
#pragma once

#include <cstdint>
#include <vector>

#include "SampleRing.h"
#include "min_max_envelope.h"

namespace plotwin {

class EnvelopeCache {
  public:
    // Puts into *out the same points MinMaxEnvelope(ring, bucket, low, high, out) gives. The
    // cache belongs to one ring: it starts afresh when that ring is cleared or bucket changes.
    void Update(const SampleRing& ring, int64_t bucket, int64_t low, int64_t high,
                std::vector<EnvelopePoint>* out);
    // Forgets every run (for tests and for a ring that was replaced).
    void Reset();
    // Complete runs held (for tests).
    size_t runCount() const { return runs_.size(); }

  private:
    struct Run {
        EnvelopePoint first;   // the earlier of the run's lowest and highest sample
        EnvelopePoint second;  // the later one (the same sample for a flat run)
    };
    uint64_t generation_ = 0;
    int64_t bucket_ = 0;
    int64_t firstRun_ = 0;   // the run number of runs_[0]
    std::vector<Run> runs_;  // complete runs firstRun_ .. firstRun_ + size - 1
    std::vector<Run> next_;  // the runs kept for the next update (reused)
};

}  // namespace plotwin

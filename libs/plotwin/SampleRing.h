// The samples kept for one channel of the strip chart: a fixed-size ring that drops the oldest
// sample once it is full, so a panel that feeds values for days keeps a constant footprint.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plotwin {

class SampleRing {
  public:
    explicit SampleRing(int capacity = 1);

    // Number of samples the ring keeps at most (at least 1).
    int capacity() const { return static_cast<int>(values_.size()); }
    // Number of samples held now (0 to capacity).
    int size() const { return size_; }
    // Sample number of the oldest sample held: samples are counted from 0 since the last
    // Clear, so the x position of a sample never changes while it is on the chart.
    int64_t firstNumber() const { return total_ - size_; }
    // Samples appended since the last Clear, including those already dropped.
    int64_t total() const { return total_; }
    // Changes with every Clear (and differs between rings made apart; a copy shares it), so
    // whoever keeps results per sample number knows when they no longer hold: between two
    // changes a number always stands for the same value.
    uint64_t generation() const { return generation_; }

    void Append(double value);
    void Clear();
    // The i-th oldest sample held, 0 <= i < size().
    double At(int i) const {
        int index = head_ - size_ + i;
        if (index < 0) index += capacity();
        return values_[static_cast<size_t>(index)];
    }

  private:
    std::vector<double> values_;
    int head_ = 0;  // where the next sample goes
    int size_ = 0;
    int64_t total_ = 0;
    uint64_t generation_ = 0;
};

// The sample numbers kept by any of the rings, *first .. *end - 1: from the oldest sample held
// by any ring to the newest. Rings that hold nothing do not count; with nothing kept at all
// both are 0.
void KeptSpan(const std::vector<SampleRing>& rings, int64_t* first, int64_t* end);

}  // namespace plotwin

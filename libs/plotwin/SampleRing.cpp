#include "SampleRing.h"

#include <algorithm>
#include <atomic>

namespace plotwin {
namespace {

uint64_t NextGeneration() {
    static std::atomic<uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace

SampleRing::SampleRing(int capacity)
    : values_(static_cast<size_t>(std::max(capacity, 1)), 0.0), generation_(NextGeneration()) {}

void SampleRing::Append(double value) {
    values_[static_cast<size_t>(head_)] = value;
    head_ = (head_ + 1) % capacity();
    if (size_ < capacity()) ++size_;
    ++total_;
}

void SampleRing::Clear() {
    head_ = 0;
    size_ = 0;
    total_ = 0;
    generation_ = NextGeneration();
}

bool SampleRing::Bounds(double* low, double* high) const {
    if (size_ == 0) return false;
    // The held samples are one or two contiguous stretches of the buffer.
    const int start = (head_ - size_ + capacity()) % capacity();
    const int firstLength = std::min(size_, capacity() - start);
    const auto begin = values_.begin() + start;
    auto [lo, hi] = std::minmax_element(begin, begin + firstLength);
    double l = *lo, h = *hi;
    if (firstLength < size_) {
        auto [lo2, hi2] =
            std::minmax_element(values_.begin(), values_.begin() + (size_ - firstLength));
        l = std::min(l, *lo2);
        h = std::max(h, *hi2);
    }
    *low = l;
    *high = h;
    return true;
}

}  // namespace plotwin

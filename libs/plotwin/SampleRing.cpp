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

}  // namespace plotwin

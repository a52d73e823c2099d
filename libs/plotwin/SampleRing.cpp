#include "SampleRing.h"

#include <algorithm>
#include <atomic>
#include <limits>

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

void KeptSpan(const std::vector<SampleRing>& rings, int64_t* first, int64_t* end) {
    int64_t f = std::numeric_limits<int64_t>::max(), e = 0;
    for (const SampleRing& ring : rings) {
        if (ring.size() == 0) continue;
        f = std::min(f, ring.firstNumber());
        e = std::max(e, ring.total());
    }
    if (f >= e) f = e = 0;
    *first = f;
    *end = e;
}

}  // namespace plotwin

#include "sample_view.h"

#include <algorithm>
#include <cmath>

namespace plotwin {

SampleView::Range SampleView::Clamped(int64_t low, int64_t width, int64_t first, int64_t end) {
    // Kept samples that once were in view may have gone (the oldest go first) or been
    // cleared: the view then moves only as far as it must.
    const int64_t lowest = first;
    const int64_t highest = std::max(first, end - width);
    const int64_t l = std::clamp(low, lowest, highest);
    return Range{l, l + width - 1};
}

SampleView::Range SampleView::Visible(int64_t first, int64_t end) const {
    if (!following_) return Clamped(pausedLow_, pausedWidth_, first, end);
    if (width_ == 0) {
        const int64_t low = first;
        return Range{low, std::max(end - 1, low + kWholeMinWidth - 1)};
    }
    return Clamped(end - width_, width_, first, end);
}

void SampleView::Pause(int64_t first, int64_t end) {
    const Range r = Visible(first, end);
    following_ = false;
    pausedLow_ = r.low;
    pausedWidth_ = r.width();
}

void SampleView::Follow() {
    following_ = true;
}

void SampleView::ScrollTo(int64_t low, int64_t first, int64_t end) {
    if (following_) Pause(first, end);
    pausedLow_ = Clamped(low, pausedWidth_, first, end).low;
}

void SampleView::Zoom(double factor, int64_t anchor, int64_t first, int64_t end) {
    if (!(factor > 0) || !std::isfinite(factor)) return;
    const Range r = Visible(first, end);
    const int64_t kept = end - first;
    const double wanted = std::round(static_cast<double>(r.width()) * factor);
    int64_t width = static_cast<int64_t>(std::clamp(wanted, static_cast<double>(kMinWidth), 1e15));
    const bool whole = width >= std::max(kept, kWholeMinWidth);
    if (following_) {
        width_ = whole ? 0 : width;
        return;
    }
    if (whole) {
        // Everything kept fits: the whole history, still paused.
        pausedWidth_ = std::max(kept, kWholeMinWidth);
        pausedLow_ = first;
        width_ = 0;
        return;
    }
    // The anchor keeps its place on the screen: its share of the width stays the same.
    anchor = std::clamp(anchor, r.low, r.high);
    const double share = static_cast<double>(anchor - r.low) / static_cast<double>(r.width());
    const int64_t low =
        anchor - static_cast<int64_t>(std::llround(share * static_cast<double>(width)));
    pausedWidth_ = width;
    pausedLow_ = Clamped(low, width, first, end).low;
    // Following again keeps the width the user chose.
    width_ = width;
}

}  // namespace plotwin

// Which stretch of sample numbers the strip chart shows. While following, the stretch ends at
// the newest sample (or shows the whole history); while paused it stays where it was, however
// many samples arrive, until the user scrolls, zooms or follows again. No widgets: the window
// asks it for the range and hands it the user's moves.
#pragma once

#include <cstdint>

namespace plotwin {

class SampleView {
  public:
    // Inclusive sample numbers at the left and right edge of the chart.
    struct Range {
        int64_t low;
        int64_t high;
        int64_t width() const { return high - low + 1; }
        bool operator==(const Range& o) const { return low == o.low && high == o.high; }
        bool operator!=(const Range& o) const { return !(*this == o); }
    };
    // The whole history never spans fewer samples than this, so the first few samples do not
    // fill the width as huge steps.
    static constexpr int64_t kWholeMinWidth = 101;
    // Zooming in stops at this many samples across the chart.
    static constexpr int64_t kMinWidth = 20;

    bool following() const { return following_; }
    // True while following the whole history rather than a zoomed stretch.
    bool showsWhole() const { return following_ && width_ == 0; }

    // The range to show when the kept samples are numbered first .. end-1 (first == end when
    // nothing is kept).
    Range Visible(int64_t first, int64_t end) const;

    // Freezes the range shown now.
    void Pause(int64_t first, int64_t end);
    // Shows the newest samples again, at the width the user last zoomed to.
    void Follow();
    // Pauses (if following) and puts the left edge at low, kept within the kept samples.
    void ScrollTo(int64_t low, int64_t first, int64_t end);
    // Changes the width by factor (< 1 zooms in), keeping the sample at anchor where it is on
    // the screen while paused; while following the right edge stays on the newest sample.
    // Zooming out past the kept samples shows them all.
    void Zoom(double factor, int64_t anchor, int64_t first, int64_t end);

  private:
    // The range of the given width whose left edge is nearest to low within the kept samples.
    static Range Clamped(int64_t low, int64_t width, int64_t first, int64_t end);

    bool following_ = true;
    int64_t width_ = 0;        // samples across the chart while following; 0 = whole history
    int64_t pausedLow_ = 0;    // the left edge while paused
    int64_t pausedWidth_ = 0;  // the width while paused
};

}  // namespace plotwin

// The sample store behind a chart: a number of traces, each with a ring of recent samples and
// a view (the stretch of samples shown), plus the rule that keeps a following view on the
// newest samples. Free of any window so that it can be driven and checked on its own; the chart
// widget derives from it and answers the two hooks (repaint, move the scroll bar).
#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "iograph/ChartTrace.h"

// What GetVisibleRange decides for one trace.
struct VisibleRange {
    bool drawable = false;
    int first = 0;  // first sample to draw
    int last = 0;   // last sample to draw, inclusive
    int span = 0;   // samples across the full width (viewEnd - viewStart)
};

template <class T>
class ChartStore {
  public:
    static constexpr int kTraceCount = 8;
    static constexpr int kSamplesPerTrace = 1001;

    ChartStore() = default;
    virtual ~ChartStore() = default;
    ChartStore(const ChartStore&) = delete;
    ChartStore& operator=(const ChartStore&) = delete;

    // Builds the traces with empty rings and the view 0 to 1000, every pen in the background
    // colour. Returns 1, or 0 (changing nothing) when the traces already exist or no memory
    // could be had for them.
    int Create(uint32_t background) {
        if (traces) return 0;
        std::unique_ptr<ChartTrace<T>[]> made(new (std::nothrow) ChartTrace<T>[kTraceCount]);
        if (!made) return 0;
        for (int i = 0; i < kTraceCount; ++i) {
            ChartTrace<T>& t = made[i];
            t.ring.reset(new (std::nothrow) SampleRing<T>());
            // A ring without storage stays in place; such a trace is skipped from then on.
            if (t.ring) {
                t.ring->Allocate(kSamplesPerTrace);
                t.ring->overwrite = true;
            }
            t.style = 0;
            t.penWidth = 1;
            t.color = background;
            t.viewStart = 0;
            t.viewEnd = kSamplesPerTrace - 1;
            t.gapEnabled = 0;
            t.minValue = 0;
            t.maxValue = 0;
        }
        backColor = background;
        traceCount = kTraceCount;
        samplesPerTrace = kSamplesPerTrace;
        traces = std::move(made);
        return 1;
    }

    bool HasTraces() const { return traces != nullptr; }

    // The trace's ring, or null when it has no sample storage.
    const SampleRing<T>* Ring(int trace) const {
        if (!traces || trace < 0 || trace >= traceCount) return nullptr;
        const SampleRing<T>* ring = traces[trace].ring.get();
        return ring && ring->HasStorage() ? ring : nullptr;
    }

    int SampleCount(int trace) const {
        const SampleRing<T>* ring = Ring(trace);
        return ring ? ring->Count() : 0;
    }

    // Appends one sample to one trace (no repaint).
    void PushSample(int trace, T value) {
        if (SampleRing<T>* ring = MutableRing(trace)) ring->Push(value);
    }

    // Empties every ring; the views stay as they are. Repaints.
    void ClearSamples() {
        for (int i = 0; traces && i < traceCount; ++i) {
            if (SampleRing<T>* ring = MutableRing(i)) ring->Clear();
        }
        RepaintChart();
    }

    // Sets the view of every trace when 0 <= start <= end < samplesPerTrace and repaints;
    // otherwise changes nothing. Returns whether the view was taken.
    bool SetView(int start, int end) {
        if (!traces || start < 0 || start > end || end >= samplesPerTrace) return false;
        for (int i = 0; i < traceCount; ++i) {
            traces[i].viewStart = start;
            traces[i].viewEnd = end;
        }
        RepaintChart();
        return true;
    }

    // Which samples of the trace to draw. While followLatest is set and the stored samples
    // reach past the view, the view slides so that it ends on the newest sample, and the scroll
    // bar is told the new first sample.
    VisibleRange GetVisibleRange(int trace);

    int traceCount = 0;
    int samplesPerTrace = 0;
    uint32_t backColor = 0;
    std::unique_ptr<ChartTrace<T>[]> traces;
    int followLatest = 1;

  protected:
    // Repaint the chart at once. The store itself has nothing to paint.
    virtual void RepaintChart() {}
    // A following view moved to start at first: move the scroll bar there.
    virtual void ViewFollowed(int /*first*/) {}

  private:
    SampleRing<T>* MutableRing(int trace) {
        return const_cast<SampleRing<T>*>(static_cast<const ChartStore*>(this)->Ring(trace));
    }
};

template <class T>
VisibleRange ChartStore<T>::GetVisibleRange(int trace) {
    VisibleRange r;
    const SampleRing<T>* ring = Ring(trace);
    if (!ring) return r;
    const int n = ring->Count();
    if (n == 0) return r;
    ChartTrace<T>& t = traces[trace];
    r.first = t.viewStart;
    r.last = t.viewEnd;
    if (r.first >= n) return r;
    r.span = t.viewEnd - t.viewStart;
    if (r.span <= 0) return r;
    r.drawable = true;
    if (n <= t.viewEnd + 1) {
        // The view reaches past the newest sample: the trace ends partway across.
        r.last = n - 1;
    } else if (followLatest) {
        r.first = n - 1 - r.span;
        r.last = n - 1;
        if (r.first != t.viewStart) {
            t.viewStart = r.first;
            t.viewEnd = r.last;
            ViewFollowed(r.first);
        }
    }
    return r;
}

// The sample store behind the I/O chart, without any window: rings, views, following.
#include <gtest/gtest.h>

#include <vector>

#include "iograph/ChartStore.h"
#include "iograph/input_sampling.h"

namespace {

// A store that counts its repaints and remembers where it moved the scroll bar.
class RecordingStore : public ChartStore<short> {
  public:
    int repaints = 0;
    std::vector<int> scrolledTo;

  protected:
    void RepaintChart() override { ++repaints; }
    void ViewFollowed(int first) override { scrolledTo.push_back(first); }
};

// The graph window's RUN: follow, empty, view 0 to page.
void PressRun(RecordingStore& store, int page) {
    store.followLatest = 1;
    store.ClearSamples();
    store.SetView(0, page);
}

void AppendInputs(RecordingStore& store, const int (&inputs)[kInputCount], int times = 1) {
    short refLevel[kInputCount] = {};
    for (int n = 0; n < times; ++n) AppendInputSample(store, inputs, refLevel);
}

const int kAllOff[kInputCount] = {};

}  // namespace

TEST(SampleRing, WrapsAroundAndOverwritesOrDropsWhenFull) {
    SampleRing<short> ring;
    ASSERT_TRUE(ring.Allocate(3));
    ring.overwrite = true;
    EXPECT_EQ(ring.Count(), 0);
    ring.Push(1);
    ring.Push(2);
    EXPECT_EQ(ring.Count(), 2);
    EXPECT_FALSE(ring.full);
    ring.Push(3);
    EXPECT_TRUE(ring.full);
    EXPECT_EQ(ring.head, 0);  // wrapped onto tail
    EXPECT_EQ(ring.Count(), 3);
    ring.Push(4);  // drops 1
    ring.Push(5);  // drops 2
    EXPECT_EQ(ring.Count(), 3);
    EXPECT_EQ(ring.tail, 2);
    EXPECT_EQ(ring.At(0), 3);
    EXPECT_EQ(ring.At(1), 4);
    EXPECT_EQ(ring.At(2), 5);

    ring.overwrite = false;  // a full ring now refuses new samples
    ring.Push(6);
    EXPECT_EQ(ring.At(0), 3);
    EXPECT_EQ(ring.At(2), 5);

    ring.Clear();
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(ring.head, 0);
    EXPECT_EQ(ring.tail, 0);
    EXPECT_FALSE(ring.full);

    SampleRing<short> none;  // no storage: pushes are ignored
    none.Push(1);
    EXPECT_EQ(none.Count(), 0);
}

TEST(ChartStore, CreateBuildsEightTracesOnceAndKeepsThem) {
    RecordingStore store;
    EXPECT_EQ(store.traceCount, 0);
    EXPECT_EQ(store.samplesPerTrace, 0);
    EXPECT_EQ(store.followLatest, 1);
    EXPECT_FALSE(store.GetVisibleRange(0).drawable);
    EXPECT_FALSE(store.SetView(0, 10));
    store.PushSample(0, 1);  // nothing to push into; must not crash
    store.ClearSamples();

    ASSERT_EQ(store.Create(0x123456), 1);
    EXPECT_EQ(store.traceCount, 8);
    EXPECT_EQ(store.samplesPerTrace, 1001);
    EXPECT_EQ(store.backColor, 0x123456u);
    for (int i = 0; i < 8; ++i) {
        const ChartTrace<short>& t = store.traces[i];
        ASSERT_NE(store.Ring(i), nullptr);
        EXPECT_EQ(t.ring->capacity, 1001);
        EXPECT_TRUE(t.ring->overwrite);
        EXPECT_EQ(t.ring->Count(), 0);
        EXPECT_EQ(t.style, 0);
        EXPECT_EQ(t.penWidth, 1);
        EXPECT_EQ(t.color, 0x123456u);
        EXPECT_EQ(t.viewStart, 0);
        EXPECT_EQ(t.viewEnd, 1000);
        EXPECT_EQ(t.gapEnabled, 0);
        EXPECT_EQ(t.minValue, 0);
        EXPECT_EQ(t.maxValue, 0);
    }

    store.traces[3].color = 0xFFFF00;
    store.PushSample(3, 42);
    EXPECT_EQ(store.Create(0x000000), 0);
    EXPECT_EQ(store.backColor, 0x123456u);
    EXPECT_EQ(store.traces[3].color, 0xFFFF00u);
    EXPECT_EQ(store.SampleCount(3), 1);
}

TEST(ChartStore, InputSamplesEncodeStateAndPlaceInTheStack) {
    RecordingStore store;
    ASSERT_EQ(store.Create(0), 1);
    const int inputs[kInputCount] = {1, 0, 0, 1, 0, 0, 0, 1};
    short refLevel[kInputCount] = {};
    AppendInputSample(store, inputs, refLevel);
    const short expected[kInputCount] = {83, 65, 55, 53, 35, 25, 15, 13};
    for (int i = 0; i < kInputCount; ++i) {
        ASSERT_EQ(store.SampleCount(i), 1);
        EXPECT_EQ(store.Ring(i)->At(0), expected[i]) << "IN" << i;
        EXPECT_EQ(refLevel[i], 81 - 10 * i);
    }
    // Any non-zero state counts as ON.
    const int odd[kInputCount] = {-1, 7, 0, 0, 0, 0, 0, 0};
    AppendInputSample(store, odd, refLevel);
    EXPECT_EQ(store.Ring(0)->At(1), 83);
    EXPECT_EQ(store.Ring(1)->At(1), 73);
    EXPECT_EQ(store.Ring(2)->At(1), 55);
}

TEST(ChartStore, FollowingViewSlidesOnlyOnceSamplesReachPastIt) {
    RecordingStore store;
    ASSERT_EQ(store.Create(0), 1);
    PressRun(store, 10);

    AppendInputs(store, kAllOff, 5);
    VisibleRange r = store.GetVisibleRange(0);
    EXPECT_TRUE(r.drawable);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 4);  // ends partway: 4 of 10 steps across
    EXPECT_EQ(r.span, 10);

    AppendInputs(store, kAllOff, 6);  // 11 samples fill the view exactly
    r = store.GetVisibleRange(0);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 10);
    EXPECT_TRUE(store.scrolledTo.empty());

    AppendInputs(store, kAllOff);  // the 12th slides the view by one
    for (int i = 0; i < 8; ++i) {
        r = store.GetVisibleRange(i);
        EXPECT_TRUE(r.drawable);
        EXPECT_EQ(r.first, 1);
        EXPECT_EQ(r.last, 11);
        EXPECT_EQ(r.span, 10);
        EXPECT_EQ(store.traces[i].viewStart, 1);
        EXPECT_EQ(store.traces[i].viewEnd, 11);
    }
    // Trace 0 moved the view of its own; every trace reported its own move once.
    EXPECT_EQ(store.scrolledTo, std::vector<int>(8, 1));
    store.scrolledTo.clear();
    store.GetVisibleRange(0);  // nothing new: no further move
    EXPECT_TRUE(store.scrolledTo.empty());
}

TEST(ChartStore, FullRingKeepsTheNewest1001Samples) {
    RecordingStore store;
    ASSERT_EQ(store.Create(0), 1);
    PressRun(store, 10);
    const int on[kInputCount] = {1, 0, 0, 0, 0, 0, 0, 0};
    AppendInputs(store, kAllOff, 1000);
    AppendInputs(store, on);  // sample 1000, the last slot
    EXPECT_EQ(store.SampleCount(0), 1001);
    EXPECT_TRUE(store.Ring(0)->full);
    EXPECT_EQ(store.Ring(0)->At(1000), 83);

    AppendInputs(store, kAllOff);  // drops the oldest
    EXPECT_EQ(store.SampleCount(0), 1001);
    EXPECT_EQ(store.Ring(0)->At(999), 83);
    EXPECT_EQ(store.Ring(0)->At(1000), 75);

    VisibleRange r = store.GetVisibleRange(0);
    EXPECT_EQ(r.first, 990);
    EXPECT_EQ(r.last, 1000);
    AppendInputs(store, kAllOff, 37);  // stays at the end however long it runs
    r = store.GetVisibleRange(0);
    EXPECT_EQ(r.first, 990);
    EXPECT_EQ(r.last, 1000);

    ASSERT_TRUE(store.SetView(0, 1000));  // the whole store: n = view end + 1, no slide
    r = store.GetVisibleRange(0);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 1000);
}

TEST(ChartStore, FrozenViewsAndInvalidViews) {
    RecordingStore store;
    ASSERT_EQ(store.Create(0), 1);
    PressRun(store, 10);
    AppendInputs(store, kAllOff, 30);
    store.followLatest = 0;  // STOP

    ASSERT_TRUE(store.SetView(50, 60));  // beyond the stored samples: nothing to draw
    EXPECT_FALSE(store.GetVisibleRange(0).drawable);
    ASSERT_TRUE(store.SetView(10, 20));  // inside: drawn as it is, not moved
    VisibleRange r = store.GetVisibleRange(0);
    EXPECT_TRUE(r.drawable);
    EXPECT_EQ(r.first, 10);
    EXPECT_EQ(r.last, 20);
    EXPECT_TRUE(store.scrolledTo.empty());
    ASSERT_TRUE(store.SetView(5, 5));  // a single sample spans nothing
    EXPECT_FALSE(store.GetVisibleRange(0).drawable);

    ASSERT_TRUE(store.SetView(10, 20));
    const int repaints = store.repaints;
    EXPECT_FALSE(store.SetView(-1, 5));
    EXPECT_FALSE(store.SetView(6, 5));
    EXPECT_FALSE(store.SetView(0, 1001));
    EXPECT_EQ(store.repaints, repaints);  // refused views repaint nothing
    EXPECT_EQ(store.traces[7].viewStart, 10);
    EXPECT_EQ(store.traces[7].viewEnd, 20);
    EXPECT_TRUE(store.SetView(0, 1000));
    EXPECT_EQ(store.repaints, repaints + 1);

    // Clearing empties every ring, keeps the view and repaints.
    ASSERT_TRUE(store.SetView(10, 20));
    store.ClearSamples();
    EXPECT_EQ(store.repaints, repaints + 3);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(store.SampleCount(i), 0);
        EXPECT_EQ(store.traces[i].viewStart, 10);
        EXPECT_EQ(store.traces[i].viewEnd, 20);
    }
    EXPECT_FALSE(store.GetVisibleRange(0).drawable);
}

TEST(ChartStore, TraceWithoutStorageIsSkipped) {
    RecordingStore store;
    ASSERT_EQ(store.Create(0), 1);
    store.traces[2].ring->items.reset();  // as if its samples could not be allocated
    store.traces[5].ring.reset();
    AppendInputs(store, kAllOff, 3);
    store.SetView(0, 10);
    EXPECT_EQ(store.SampleCount(1), 3);
    EXPECT_EQ(store.SampleCount(2), 0);
    EXPECT_EQ(store.SampleCount(5), 0);
    EXPECT_FALSE(store.GetVisibleRange(2).drawable);
    EXPECT_FALSE(store.GetVisibleRange(5).drawable);
    EXPECT_TRUE(store.GetVisibleRange(3).drawable);
    store.ClearSamples();
    EXPECT_EQ(store.SampleCount(1), 0);
}

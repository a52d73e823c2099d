// The graph component's logic without a window: which samples the chart shows while following
// and paused, the thinned traces kept from refresh to refresh, the CSV export and the hidden
// channels in the settings file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

#include "SampleRing.h"
#include "channel_prefs.h"
#include "csv_export.h"
#include "envelope_cache.h"
#include "min_max_envelope.h"
#include "sample_view.h"
#include "support/child_process.h"
#include "support/test_env.h"

using plotwin::EnvelopeCache;
using plotwin::EnvelopePoint;
using plotwin::SampleRing;
using plotwin::SampleView;
using testkit::FolderEntries;
using Range = plotwin::SampleView::Range;

namespace {

std::vector<std::string> Names(int n) {
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i) names.push_back("CH" + std::to_string(i));
    return names;
}

bool SamePoints(const std::vector<EnvelopePoint>& a, const std::vector<EnvelopePoint>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].number != b[i].number || a[i].value != b[i].value) return false;
    }
    return true;
}

}  // namespace

TEST(SampleView, FollowsTheNewestAndStaysStillWhilePaused) {
    SampleView v;
    // The whole history, never narrower than 101 samples.
    EXPECT_EQ(v.Visible(0, 0), (Range{0, 100}));
    EXPECT_EQ(v.Visible(0, 500), (Range{0, 499}));
    EXPECT_EQ(v.Visible(100, 20101), (Range{100, 20100}));

    // Zoomed in while following: the right edge stays on the newest sample.
    v.Zoom(0.5, 0, 0, 1000);
    EXPECT_TRUE(v.following());
    EXPECT_EQ(v.Visible(0, 1000), (Range{500, 999}));
    EXPECT_EQ(v.Visible(0, 1200), (Range{700, 1199}));
    // Fewer samples than the width: they start at the left edge.
    EXPECT_EQ(v.Visible(0, 50), (Range{0, 499}));

    // Paused: what is shown stays, however many samples arrive.
    v.Pause(0, 1200);
    EXPECT_FALSE(v.following());
    EXPECT_EQ(v.Visible(0, 1200), (Range{700, 1199}));
    EXPECT_EQ(v.Visible(0, 5000), (Range{700, 1199}));
    // Once the oldest kept samples pass the view, it moves only as far as it must.
    EXPECT_EQ(v.Visible(900, 5000), (Range{900, 1399}));
    // A cleared history shows from its start.
    EXPECT_EQ(v.Visible(0, 0), (Range{0, 499}));

    // Scrolling stays within the kept samples.
    v.ScrollTo(200, 0, 5000);
    EXPECT_EQ(v.Visible(0, 5000), (Range{200, 699}));
    v.ScrollTo(-40, 0, 5000);
    EXPECT_EQ(v.Visible(0, 5000), (Range{0, 499}));
    v.ScrollTo(99999, 0, 5000);
    EXPECT_EQ(v.Visible(0, 5000), (Range{4500, 4999}));

    // Following again returns to the newest at the width last chosen.
    v.Follow();
    EXPECT_EQ(v.Visible(0, 6000), (Range{5500, 5999}));
}

TEST(SampleView, ScrollingPausesAndZoomKeepsTheAnchorInPlace) {
    SampleView v;
    v.ScrollTo(0, 0, 1000);  // from the whole history: pauses with its width
    EXPECT_FALSE(v.following());
    EXPECT_EQ(v.Visible(0, 3000), (Range{0, 999}));

    // The sample under the mouse keeps its place on the screen (a quarter from the left).
    v.Zoom(0.5, 250, 0, 3000);
    EXPECT_EQ(v.Visible(0, 3000), (Range{125, 624}));
    // Zooming in stops at a few samples; nonsense factors change nothing.
    v.Zoom(1e-9, 300, 0, 3000);
    EXPECT_EQ(v.Visible(0, 3000).width(), SampleView::kMinWidth);
    const Range before = v.Visible(0, 3000);
    v.Zoom(std::numeric_limits<double>::quiet_NaN(), 300, 0, 3000);
    v.Zoom(0, 300, 0, 3000);
    v.Zoom(-2, 300, 0, 3000);
    EXPECT_EQ(v.Visible(0, 3000), before);

    // Zoomed out past the kept samples: all of them, still paused; following then shows the
    // whole history as it grows.
    v.Zoom(1e6, 300, 0, 3000);
    EXPECT_FALSE(v.following());
    EXPECT_EQ(v.Visible(0, 3000), (Range{0, 2999}));
    EXPECT_EQ(v.Visible(0, 4000), (Range{0, 2999}));
    v.Follow();
    EXPECT_TRUE(v.showsWhole());
    EXPECT_EQ(v.Visible(0, 4000), (Range{0, 3999}));
}

TEST(MinMaxEnvelope, ThinsAStretchAndReachesPastItsEdges) {
    // Every sample is kept up to two per pixel; one more and runs cover whole pixels.
    EXPECT_EQ(plotwin::EnvelopeBucket(800, 400), 1);
    EXPECT_EQ(plotwin::EnvelopeBucket(801, 400), 3);
    EXPECT_EQ(plotwin::EnvelopeBucket(5, 0), 5);  // no width counts as one pixel

    SampleRing ring(1000);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> volts(-10, 10);
    for (int i = 0; i < 1300; ++i) ring.Append(volts(random));  // numbers 300..1299 kept
    std::vector<EnvelopePoint> out;
    plotwin::MinMaxEnvelope(ring, 10, 455, 1104, &out);
    ASSERT_GE(out.size(), 4u);
    // The neighbours just outside, then the stretch's own first and last sample.
    EXPECT_EQ(out.front().number, 454);
    EXPECT_EQ(out[1].number, 455);
    EXPECT_EQ(out[out.size() - 2].number, 1104);
    EXPECT_EQ(out.back().number, 1105);
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].value, ring.At(static_cast<int>(out[i].number - 300)));
        if (i > 0) {
            EXPECT_LT(out[i - 1].number, out[i].number);
        }
    }
    // Every run of ten (the first one cut at 455) keeps its lowest and highest sample.
    for (int64_t run = 450; run < 1105; run += 10) {
        const int64_t from = std::max<int64_t>(run, 455), to = std::min<int64_t>(run + 9, 1104);
        double lo = 1e9, hi = -1e9;
        for (int64_t n = from; n <= to; ++n) {
            lo = std::min(lo, ring.At(static_cast<int>(n - 300)));
            hi = std::max(hi, ring.At(static_cast<int>(n - 300)));
        }
        bool hasLo = false, hasHi = false;
        for (const EnvelopePoint& p : out) {
            if (p.number < from || p.number > to) continue;
            hasLo |= p.value == lo;
            hasHi |= p.value == hi;
        }
        EXPECT_TRUE(hasLo && hasHi) << "run at " << run;
    }
    EXPECT_LE(out.size(), 2u * 66 + 4);

    // A stretch at the ends of the kept samples has no neighbour there; one beyond them
    // leaves only the nearest kept sample.
    plotwin::MinMaxEnvelope(ring, 10, 0, 2000, &out);
    EXPECT_EQ(out.front().number, 300);
    EXPECT_EQ(out.back().number, 1299);
    plotwin::MinMaxEnvelope(ring, 10, 5000, 6000, &out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].number, 1299);
}

TEST(EnvelopeCache, GivesTheSamePointsAsAFreshPassThroughEveryChange) {
    // The panel's life in fast motion: samples arrive, the view follows, pauses, scrolls,
    // zooms, the window is resized and the history is cleared. After every step the cached
    // trace must equal one computed from scratch.
    std::mt19937 random(42);
    std::uniform_real_distribution<double> volts(-10, 10);
    std::uniform_int_distribution<int> pick(0, 99);
    SampleRing ring(2000);
    EnvelopeCache cache;
    std::vector<EnvelopePoint> cached, fresh;
    int64_t bucket = 7;
    int64_t width = 1500;
    bool following = true;
    int64_t low = 0;
    size_t reused = 0;
    for (int step = 0; step < 3000; ++step) {
        const int what = pick(random);
        if (what < 70) {
            const int count = 1 + pick(random) % 5;
            for (int i = 0; i < count; ++i) ring.Append(volts(random));
        } else if (what < 78) {
            following = !following;
        } else if (what < 86) {
            low = ring.firstNumber() + pick(random) * 20;
        } else if (what < 92) {
            width = 50 + pick(random) * 30;
        } else if (what < 97) {
            bucket = 1 + pick(random) % 12;
        } else if (what < 98) {
            // Cleared and refilled to the same count: the numbers now stand for other values.
            const int64_t total = ring.total();
            ring.Clear();
            for (int64_t i = 0; i < total; ++i) ring.Append(volts(random));
        }
        const int64_t high = following ? ring.total() - 1 : low + width - 1;
        const int64_t from = following ? high - width + 1 : low;
        cache.Update(ring, bucket, from, high, &cached);
        plotwin::MinMaxEnvelope(ring, bucket, from, high, &fresh);
        ASSERT_TRUE(SamePoints(cached, fresh)) << "step " << step << " bucket " << bucket;
        reused += cache.runCount();
    }
    EXPECT_GT(reused, 0u);  // the cache was really used
}

TEST(SamplesCsv, OneLinePerSampleNumberWithEmptyCellsWhereAChannelHasNone) {
    std::vector<SampleRing> rings(8, SampleRing(3));
    rings[0].Append(1.5);
    rings[0].Append(-2.25);
    rings[0].Append(3);
    rings[1].Append(0.1);
    // Five samples into a ring of three: numbers 2 to 4 are kept.
    for (double v : {10.0, 11.0, 12.0, 13.0, 0.1 + 0.2}) rings[2].Append(v);
    EXPECT_EQ(plotwin::SamplesCsv(rings, Names(8), 500),
              "Time [s],CH1,CH2,CH3,CH4,CH5,CH6,CH7,CH8\n"
              "0,1.5,0.1,,,,,,\n"
              "0.5,-2.25,,,,,,,\n"
              "1,3,,12,,,,,\n"
              "1.5,,,13,,,,,\n"
              "2,,,0.30000000000000004,,,,,\n");

    // The time counts from the oldest kept sample of any channel, in steps of the interval;
    // names that would break the line are quoted.
    std::vector<SampleRing> two(2, SampleRing(2));
    for (double v : {1.0, 2.0, 3.0}) two[0].Append(v);  // numbers 1 and 2 kept
    for (double v : {-1e-5, 7.0}) two[1].Append(v);     // numbers 0 and 1
    EXPECT_EQ(plotwin::SamplesCsv(two, {"a,\"b\"", "電源"}, 333),
              "Time [s],\"a,\"\"b\"\"\",電源\n"
              "0,,-1e-05\n"
              "0.333,2,7\n"
              "0.666,3,\n");

    // Nothing kept: the header alone.
    std::vector<SampleRing> empty(8, SampleRing(10));
    EXPECT_EQ(plotwin::SamplesCsv(empty, Names(8), 500),
              "Time [s],CH1,CH2,CH3,CH4,CH5,CH6,CH7,CH8\n");
}

TEST(SamplesCsv, WritesTheWholeFileOrNothing) {
    TempDir dir;
    std::vector<SampleRing> rings(8, SampleRing(100));
    for (int i = 0; i < 100; ++i) rings[3].Append(i * 0.5);
    const std::string text = plotwin::SamplesCsv(rings, Names(8), 500);
    const std::string path = dir.path() + "out.csv";

    std::string error;
    ASSERT_TRUE(plotwin::WriteSamplesCsv(path, rings, Names(8), 500, &error)) << error;
    EXPECT_EQ(ReadFile(path), text);
    // Replacing an older, longer file leaves nothing of it; no temporary file stays.
    WriteFile(path, std::string(100000, 'x'));
    ASSERT_TRUE(plotwin::WriteSamplesCsv(path, rings, Names(8), 500, &error)) << error;
    EXPECT_EQ(ReadFile(path), text);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"out.csv"});

    // A folder that does not exist: the system's reason, and nothing is made.
    const std::string missing = dir.path() + "missing/out.csv";
    error.clear();
    EXPECT_FALSE(plotwin::WriteSamplesCsv(missing, rings, Names(8), 500, &error));
    EXPECT_EQ(error, std::strerror(ENOENT));
    EXPECT_FALSE(PathExists(dir.path() + "missing"));

    // A folder in the file's place is not replaced.
    ASSERT_EQ(mkdir((dir.path() + "folder.csv").c_str(), 0700), 0);
    EXPECT_FALSE(plotwin::WriteSamplesCsv(dir.path() + "folder.csv", rings, Names(8), 500, &error));
    EXPECT_EQ(error, std::strerror(EISDIR));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "folder.csv"));
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"folder.csv", "out.csv"}));
}

TEST(SamplesCsv, AWriteThatFailsHalfwayLeavesTheOldFile) {
    // The disk filling up halfway, made real with a file-size limit in a child process: the
    // old file must stay whole and no part of the new one may remain.
    TempDir dir;
    const std::string path = dir.path() + "old.csv";
    WriteFile(path, "Time [s],CH1\n0,1\n");
    std::vector<SampleRing> rings(8, SampleRing(20001));
    for (int i = 0; i < 20001; ++i) {
        for (SampleRing& r : rings) r.Append(i * 0.001);
    }
    EXPECT_TRUE(RunWithFileSizeLimit(4096, [&] {
        std::string error;
        const bool ok = plotwin::WriteSamplesCsv(path, rings, Names(8), 500, &error);
        return !ok && error == std::strerror(EFBIG);
    }));
    EXPECT_EQ(ReadFile(path), "Time [s],CH1\n0,1\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"old.csv"});
}

TEST(ChannelPrefs, HiddenChannelsRoundTripBesideThePlacement) {
    TempDir dir;
    const std::string ini = dir.path() + "vantrelADg5.ini";
    // No file: every channel shown, and nothing is made by reading.
    EXPECT_EQ(plotwin::ReadShownChannels(ini, 8), std::vector<bool>(8, true));
    EXPECT_FALSE(PathExists(ini));

    // The seed's lines stay; the keys join in one rewrite, with the ini files' CR LF.
    WriteFile(ini, "; seed\n[Window]\nLeft=10\n");
    std::vector<bool> shown(8, true);
    shown[1] = shown[6] = false;
    ASSERT_TRUE(plotwin::WriteShownChannels(ini, shown));
    EXPECT_EQ(ReadFile(ini),
              "; seed\r\n[Window]\r\nLeft=10\r\n[Channels]\r\nShown1=1\r\nShown2=0\r\n"
              "Shown3=1\r\nShown4=1\r\nShown5=1\r\nShown6=1\r\nShown7=0\r\nShown8=1\r\n");
    EXPECT_EQ(plotwin::ReadShownChannels(ini, 8), shown);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"vantrelADg5.ini"});

    // Hand-edited values read by the profile rules: what reads 0 hides ("x" has no digits and
    // "0abc" reads 0), an empty value or a missing key shows, "12abc" reads 12 and shows.
    WriteFile(ini,
              "[channels]\nShown1=0\nShown2=x\nShown3=\nShown4=2\n shown5 = 0abc\n"
              "Shown6=12abc\n");
    EXPECT_EQ(plotwin::ReadShownChannels(ini, 7),
              (std::vector<bool>{false, false, true, true, false, true, true}));
}

TEST(ChannelPrefs, AFailedWriteIsReportedAndLosesNothing) {
    TempDir dir;
    const std::vector<bool> shown{true, false};
    EXPECT_FALSE(plotwin::WriteShownChannels("", shown));
    EXPECT_FALSE(plotwin::WriteShownChannels(dir.path() + "missing/g.ini", shown));
    EXPECT_FALSE(PathExists(dir.path() + "missing"));

    // The rewrite failing (the disk full, made real with a file-size limit in a child
    // process): reported, the old file stays whole and no temporary file remains.
    const std::string ini = dir.path() + "g.ini";
    WriteFile(ini, "[Channels]\nShown1=0\n");
    EXPECT_TRUE(RunWithFileSizeLimit(8, [&] { return !plotwin::WriteShownChannels(ini, shown); }));
    EXPECT_EQ(ReadFile(ini), "[Channels]\nShown1=0\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"g.ini"});
}

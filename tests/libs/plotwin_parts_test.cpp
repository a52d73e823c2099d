// The graph component's sample ring, without any window.
#include "SampleRing.h"
#include "support/test_env.h"

using plotwin::SampleRing;

TEST(SampleRing, KeepsTheNewestSamplesWithStableNumbers) {
    SampleRing ring(4);
    for (int i = 0; i < 3; ++i) ring.Append(i * 1.5);
    EXPECT_EQ(ring.size(), 3);
    EXPECT_EQ(ring.firstNumber(), 0);
    EXPECT_DOUBLE_EQ(ring.At(2), 3.0);

    // Past its capacity the oldest go first; the kept ones keep their sample numbers.
    ring.Append(-7.0);
    ring.Append(9.0);
    ring.Append(2.0);
    EXPECT_EQ(ring.size(), 4);
    EXPECT_EQ(ring.total(), 6);
    EXPECT_EQ(ring.firstNumber(), 2);
    EXPECT_DOUBLE_EQ(ring.At(0), 3.0);
    EXPECT_DOUBLE_EQ(ring.At(3), 2.0);

    ring.Clear();
    EXPECT_EQ(ring.size(), 0);
    EXPECT_EQ(ring.total(), 0);
    ring.Append(5.0);
    EXPECT_EQ(ring.firstNumber(), 0);
    EXPECT_DOUBLE_EQ(ring.At(0), 5.0);

    SampleRing tiny(0);  // never less than one sample
    tiny.Append(1.0);
    tiny.Append(2.0);
    EXPECT_EQ(tiny.size(), 1);
    EXPECT_DOUBLE_EQ(tiny.At(0), 2.0);
}

TEST(SampleRing, KeptSpanRunsFromTheOldestHeldToTheNewestOfAnyRing) {
    int64_t first = -1, end = -1;
    plotwin::KeptSpan({}, &first, &end);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(end, 0);

    // A full small ring has dropped its oldest; a cleared ring holds nothing and does not
    // pull the span back to 0.
    std::vector<SampleRing> rings{SampleRing(3), SampleRing(10), SampleRing(10)};
    for (int i = 0; i < 8; ++i) rings[0].Append(i);
    for (int i = 0; i < 6; ++i) rings[1].Append(i);
    rings[2].Append(1.0);
    rings[2].Clear();
    plotwin::KeptSpan(rings, &first, &end);
    EXPECT_EQ(first, 0);  // the larger ring still holds sample 0
    EXPECT_EQ(end, 8);

    rings[1].Clear();
    plotwin::KeptSpan(rings, &first, &end);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(end, 8);

    rings[0].Clear();
    plotwin::KeptSpan(rings, &first, &end);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(end, 0);
}
